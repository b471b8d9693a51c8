# tilvex_layer(<name> [DEPENDS <layer>...] [LIBRARIES <target>...] [OPTIONAL])
#
# Declares the static library tilvex_<name> of <name>/*.cpp. Its include root,
# include-roots/<name> in the build tree, holds a link to <name>/ and nothing
# else; the layers named in DEPENDS are linked publicly, so a layer sees its
# own headers and those of the layers below it, transitively, and an include
# that reaches any other layer does not compile. LIBRARIES (external targets)
# are linked publicly as well. A layer depends only on layers declared before
# it, so the layers cannot form a cycle.
#
# Each library records its sources and include root in the target properties
# TILVEX_SOURCES and TILVEX_INCLUDE_ROOT.
#
# Layers without OPTIONAL form the core: in the caller's scope, TILVEX_LAYERS,
# TILVEX_SOURCES, TILVEX_INCLUDE_ROOTS and TILVEX_LIBRARIES collect them (the
# `tilvex` target links them, the fuzz build compiles them again). An OPTIONAL
# layer hangs off any layer, no core layer may depend on it, and only the
# programs that use it link it.
function(tilvex_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "OPTIONAL" "" "DEPENDS;LIBRARIES")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tilvex_layer(${name}): unexpected arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    get_property(declared GLOBAL PROPERTY TILVEX_DECLARED_LAYERS)
    get_property(optional GLOBAL PROPERTY TILVEX_OPTIONAL_LAYERS)
    if(name IN_LIST declared)
        message(FATAL_ERROR "tilvex_layer(${name}): declared twice")
    endif()
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${name})
        message(FATAL_ERROR "tilvex_layer(${name}): no folder ${CMAKE_SOURCE_DIR}/${name}")
    endif()
    foreach(below ${arg_DEPENDS})
        if(NOT below IN_LIST declared)
            message(FATAL_ERROR "tilvex_layer(${name}): ${below} is not a layer declared before it")
        endif()
        if(NOT arg_OPTIONAL AND below IN_LIST optional)
            message(FATAL_ERROR "tilvex_layer(${name}): a core layer cannot depend on the optional layer ${below}")
        endif()
    endforeach()

    set(root ${CMAKE_BINARY_DIR}/include-roots/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${name} ${root}/${name} SYMBOLIC)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
    add_library(tilvex_${name} STATIC ${sources})
    target_include_directories(tilvex_${name} PUBLIC ${root})
    list(TRANSFORM arg_DEPENDS PREPEND tilvex_ OUTPUT_VARIABLE below_targets)
    target_link_libraries(tilvex_${name} PUBLIC ${below_targets} ${arg_LIBRARIES})
    set_target_properties(tilvex_${name} PROPERTIES TILVEX_SOURCES "${sources}" TILVEX_INCLUDE_ROOT ${root})

    set_property(GLOBAL APPEND PROPERTY TILVEX_DECLARED_LAYERS ${name})
    if(arg_OPTIONAL)
        set_property(GLOBAL APPEND PROPERTY TILVEX_OPTIONAL_LAYERS ${name})
        return()
    endif()
    set_property(GLOBAL APPEND PROPERTY TILVEX_LAYERS ${name})
    set_property(GLOBAL APPEND PROPERTY TILVEX_SOURCES ${sources})
    set_property(GLOBAL APPEND PROPERTY TILVEX_INCLUDE_ROOTS ${root})
    set_property(GLOBAL APPEND PROPERTY TILVEX_LIBRARIES ${arg_LIBRARIES})
    foreach(list LAYERS SOURCES INCLUDE_ROOTS LIBRARIES)
        get_property(value GLOBAL PROPERTY TILVEX_${list})
        set(TILVEX_${list} "${value}" PARENT_SCOPE)
    endforeach()
endfunction()
