#pragma once

#include <cstddef>
#include <memory>

namespace tilvex::studio {

// Zeroed storage that writes land all over (a render's sums): past a huge
// page it lies on huge pages where the system gives them, and misses the
// address translation caches far less often.
struct FreeStorage {
    void operator()(void* p) const;
};
template <class T>
using ScatterStorage = std::unique_ptr<T[], FreeStorage>;

void* ZeroedScatterBytes(std::size_t bytes);  // null for none; throws std::bad_alloc

template <class T>
ScatterStorage<T> ZeroedScatterStorage(std::size_t count)
{
    return ScatterStorage<T>(static_cast<T*>(ZeroedScatterBytes(count * sizeof(T))));
}

}  // namespace tilvex::studio
