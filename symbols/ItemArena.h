// Where a score's items and marks live. A score of ten megabytes holds over a million of
// them; one heap block each costs a header apiece and, above all, a million frees when the
// score goes. The score's arena hands out space by bumping a pointer and releases it all
// at once with the score. Items and marks made elsewhere (copies, tests) still come from
// the heap, one block each; a tag inside each object tells `delete` which it is, so arena
// objects need no more than their own alignment (8 bytes) and pack tightly.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

class CItemArena
{
public:
    // Items and marks hold pointers and 32-bit numbers at most.
    static constexpr std::size_t Alignment = 8;

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

// Whether an item or mark lives in an arena; set by whoever places it there. A copy is a
// new object, made on the heap, so the tag is never copied.
class CArenaTag
{
public:
    CArenaTag() = default;
    CArenaTag(const CArenaTag&) noexcept {}
    CArenaTag& operator=(const CArenaTag&) noexcept { return *this; }
    bool InArena = false;
};

// Declares the class's allocation functions: plain `new` takes a heap block, `new (arena)`
// space in the arena (the caller then sets ArenaTag), and `delete` destroys the object and
// frees a heap block; an arena object's space stays until its arena goes.
#define PLEKTO_ARENA_ALLOCATED(Class)                                                             \
    static void* operator new(std::size_t size) { return ::operator new(size); }                  \
    static void* operator new(std::size_t size, CItemArena& arena) { return arena.Allocate(size); } \
    static void operator delete(Class* object, std::destroying_delete_t) noexcept                 \
    {                                                                                             \
        const bool inArena = object->ArenaTag.InArena;                                            \
        object->~Class();                                                                         \
        if (!inArena)                                                                             \
            ::operator delete(object);                                                            \
    }                                                                                             \
    static void operator delete(void* object) noexcept { ::operator delete(object); }             \
    static void operator delete(void*, CItemArena&) noexcept {}
