// Where a score's items and marks live. A score of ten megabytes holds over a million of
// them; one heap block each costs a header apiece and, above all, a million frees when the
// score goes. The score's arena hands out space by bumping a pointer and releases it all
// at once with the score. Items and marks made elsewhere (copies, tests) still come from
// the heap, one block each, and `delete` tells the two apart by the address alone: arena
// objects start on a 16-byte boundary, heap objects 8 bytes past one.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

class CItemArena
{
public:
    static constexpr std::size_t Alignment = 16;

    CItemArena() = default;
    CItemArena(const CItemArena&) = delete;
    CItemArena& operator=(const CItemArena&) = delete;
    ~CItemArena();

    // Space for size bytes, aligned to Alignment, valid until the arena is destroyed.
    void* Allocate(std::size_t size);

private:
    std::vector<void*> Chunks;
    std::byte* Next = nullptr;
    std::byte* End = nullptr;
};

// The allocation functions of CScoreItem and CScoreInterUnit.
namespace ItemAllocation
{
void* FromHeap(std::size_t size);
// Frees a heap object; an arena object's space stays until its arena goes.
void Release(void* object) noexcept;
}  // namespace ItemAllocation

// Declares the class's allocation functions: plain `new` takes a heap block, `new (arena)`
// space in the arena, and `delete` works for both.
#define PLEKTO_ARENA_ALLOCATED                                                                   \
    static void* operator new(std::size_t size) { return ItemAllocation::FromHeap(size); }       \
    static void* operator new(std::size_t size, CItemArena& arena) { return arena.Allocate(size); } \
    static void operator delete(void* object) noexcept { ItemAllocation::Release(object); }      \
    static void operator delete(void*, CItemArena&) noexcept {}
