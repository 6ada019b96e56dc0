#include "symbols/ItemArena.h"

#include <algorithm>
#include <cstdint>

namespace
{
constexpr std::size_t FirstChunk = std::size_t{64} * 1024;
constexpr std::size_t LargestChunk = std::size_t{4} * 1024 * 1024;

std::size_t RoundUp(std::size_t size) { return (size + CItemArena::Alignment - 1) & ~(CItemArena::Alignment - 1); }
}  // namespace

CItemArena::~CItemArena()
{
    for (void* chunk : Chunks)
        ::operator delete(chunk);
}

void* CItemArena::Allocate(std::size_t size)
{
    size = RoundUp(std::max<std::size_t>(size, 1));
    if (static_cast<std::size_t>(End - Next) < size) {
        // Chunks grow with the score, so a large one takes few and a small one stays small.
        const std::size_t grown = Chunks.empty() ? FirstChunk : std::min(LargestChunk, 2 * FirstChunk * Chunks.size());
        const std::size_t bytes = std::max(grown, size);
        Chunks.reserve(Chunks.size() + 1);
        void* chunk = ::operator new(bytes);
        Chunks.push_back(chunk);
        Next = static_cast<std::byte*>(chunk);
        End = Next + bytes;
    }
    void* space = Next;
    Next += size;
    return space;
}

