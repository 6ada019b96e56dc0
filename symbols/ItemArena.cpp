#include "symbols/ItemArena.h"

#include <algorithm>
#include <cstdint>

namespace
{
constexpr std::align_val_t Aligned{CItemArena::Alignment};
constexpr std::size_t HeapOffset = CItemArena::Alignment / 2;
constexpr std::size_t FirstChunk = std::size_t{64} * 1024;
constexpr std::size_t LargestChunk = std::size_t{4} * 1024 * 1024;

std::size_t RoundUp(std::size_t size) { return (size + CItemArena::Alignment - 1) & ~(CItemArena::Alignment - 1); }
}  // namespace

CItemArena::~CItemArena()
{
    for (void* chunk : Chunks)
        ::operator delete(chunk, Aligned);
}

void* CItemArena::Allocate(std::size_t size)
{
    size = RoundUp(std::max<std::size_t>(size, 1));
    if (static_cast<std::size_t>(End - Next) < size) {
        // Chunks grow with the score, so a large one takes few and a small one stays small.
        const std::size_t grown = Chunks.empty() ? FirstChunk : std::min(LargestChunk, 2 * FirstChunk * Chunks.size());
        const std::size_t bytes = std::max(grown, size);
        Chunks.reserve(Chunks.size() + 1);
        void* chunk = ::operator new(bytes, Aligned);
        Chunks.push_back(chunk);
        Next = static_cast<std::byte*>(chunk);
        End = Next + bytes;
    }
    void* space = Next;
    Next += size;
    return space;
}

void* ItemAllocation::FromHeap(std::size_t size)
{
    auto* block = static_cast<std::byte*>(::operator new(size + HeapOffset, Aligned));
    return block + HeapOffset;
}

void ItemAllocation::Release(void* object) noexcept
{
    if (!object || reinterpret_cast<std::uintptr_t>(object) % CItemArena::Alignment != HeapOffset)
        return;
    ::operator delete(static_cast<std::byte*>(object) - HeapOffset, Aligned);
}
