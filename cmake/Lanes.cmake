# tilvex_lane_kernels(<target>)
#
# Adds the studio's orbit-lane kernels to <target>: the scalar kernels on every
# processor and, on x86-64, kernels built for AVX2 and for AVX-512 (chosen at
# run time) and the scalar ones for processors without fused multiply-adds.
# Only these files get instruction-set flags; the rest is built for the
# baseline machine. SLEEF supplies the library functions (its deterministic
# forms). No contraction: a lane rounds the same on every path. No automatic
# vectorisation either: the lanes are vectorised by hand, and g++ 12 at -O2
# turns a complex product's scalar code into fused multiply-adds (vfmaddsub)
# despite -ffp-contract=off.
#
# In the sanitizer build these files alone are built uninstrumented and
# optimised: instrumented, the flattened kernels take the compiler most of an
# hour and the unflattened ones make every studio test crawl. The state they
# step is allocated and read by instrumented code, and the tests hold every
# path to the scalar one.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SLEEF REQUIRED IMPORTED_TARGET sleef)

function(tilvex_lane_kernels target)
    set(dir ${CMAKE_SOURCE_DIR}/studio/simd)
    set(sources ${dir}/LaneStepsScalar.cpp)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
        list(APPEND sources ${dir}/LaneStepsScalarPlain.cpp ${dir}/LaneStepsAvx2.cpp ${dir}/LaneStepsAvx512.cpp)
        set_source_files_properties(${dir}/LaneStepsScalar.cpp PROPERTIES COMPILE_OPTIONS "-mfma;-ffp-contract=off")
        set_source_files_properties(${dir}/LaneStepsScalarPlain.cpp PROPERTIES COMPILE_OPTIONS "-ffp-contract=off")
        set_source_files_properties(${dir}/LaneStepsAvx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2;-mfma;-ffp-contract=off")
        set_source_files_properties(${dir}/LaneStepsAvx512.cpp PROPERTIES
            COMPILE_OPTIONS "-mavx512f;-mavx512dq;-mavx512vl;-mavx2;-mfma;-ffp-contract=off")
        target_compile_definitions(${target} PRIVATE TILVEX_X86_LANES)
    else()
        set_source_files_properties(${dir}/LaneStepsScalar.cpp PROPERTIES COMPILE_OPTIONS "-ffp-contract=off")
    endif()
    set_property(SOURCE ${sources} APPEND PROPERTY COMPILE_OPTIONS -fno-tree-vectorize)
    if(TILVEX_SANITIZE)
        set_property(SOURCE ${sources} APPEND PROPERTY COMPILE_OPTIONS -fno-sanitize=all -O2)
    endif()
    target_sources(${target} PRIVATE ${sources})
    target_link_libraries(${target} PUBLIC PkgConfig::SLEEF)
endfunction()
