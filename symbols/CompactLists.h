// Small lists stored inside every unit item. A score holds a million items or more, so
// the common cases (six strings of small frets, no mark or one mark) live inside the item
// and only the rare ones take a heap block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class CScoreInterUnit;

// The fret values of a note, one per string. Up to eight values in -128..127 are held in
// place as bytes; more strings, or a value that does not fit, move the list to a heap
// array of int32_t, so every int32_t reads back as it was stored. Packed to byte
// alignment so that it fills the padding after the item's base class.
class CFretList
{
public:
    CFretList() = default;
    // count entries, each `fill` (which must fit a byte); count 0 or less gives none.
    CFretList(int32_t count, int32_t fill);
    CFretList(const CFretList& other);
    CFretList& operator=(const CFretList& other);
    ~CFretList() { Release(); }

    std::size_t size() const { return IsWide() ? static_cast<std::size_t>(WideData()[0]) : Count; }
    bool empty() const { return size() == 0; }
    int32_t operator[](std::size_t i) const { return IsWide() ? WideData()[i + 1] : static_cast<int8_t>(Bytes[i]); }
    // Stores value at i (i < size()); may take a heap array when the value needs it.
    void Set(std::size_t i, int32_t value)
    {
        if (!IsWide() && value >= -128 && value <= 127)
            Bytes[i] = static_cast<unsigned char>(static_cast<int8_t>(value));  // the common case, kept inline
        else
            SetWide(i, value);
    }
    std::vector<int32_t> Values() const;

    friend bool operator==(const CFretList& a, const CFretList& b) { return a.Values() == b.Values(); }

private:
    static constexpr std::size_t InPlace = 8;
    static constexpr unsigned char Wide = 0xFF;  // Count's value once the values are on the heap

    bool IsWide() const { return Count == Wide; }
    // Element 0 holds the count, the values follow.
    int32_t* WideData() const
    {
        int32_t* data;
        std::memcpy(&data, Bytes, sizeof data);
        return data;
    }
    void SetWide(std::size_t i, int32_t value);
    void Release();

    unsigned char Bytes[InPlace] = {};  // the values, or the heap array's address
    unsigned char Count = 0;
};
static_assert(alignof(CFretList) == 1 && sizeof(CFretList) == 9);

// The span marks attached to a unit item, in attachment order: nothing, one mark held in
// place, or a heap block for two or more. Not owning; copying an item does not copy it.
class CMarkList
{
public:
    CMarkList() = default;
    CMarkList(const CMarkList&) = delete;
    CMarkList& operator=(const CMarkList&) = delete;
    ~CMarkList();

    std::size_t size() const { return IsBlock() ? Block()->Size : One != nullptr; }
    bool empty() const { return size() == 0; }
    CScoreInterUnit* operator[](std::size_t i) const { return begin()[i]; }
    CScoreInterUnit* const* begin() const { return IsBlock() ? Block()->Data() : &One; }
    CScoreInterUnit* const* end() const { return begin() + size(); }

    void push_back(CScoreInterUnit* mark);
    // Removes the last entry equal to mark, if any.
    void EraseLast(const CScoreInterUnit* mark);

private:
    struct CBlock
    {
        uint32_t Size;
        uint32_t Capacity;
        CScoreInterUnit** Data() { return reinterpret_cast<CScoreInterUnit**>(this + 1); }
    };
    static CBlock* NewBlock(uint32_t capacity);

    bool IsBlock() const { return (reinterpret_cast<std::uintptr_t>(One) & 1) != 0; }
    CBlock* Block() const { return reinterpret_cast<CBlock*>(reinterpret_cast<std::uintptr_t>(One) & ~std::uintptr_t{1}); }

    // Empty: null. One mark: that mark (marks are aligned, so the low bit is clear).
    // More: the block's address with the low bit set.
    CScoreInterUnit* One = nullptr;
};
static_assert(sizeof(CMarkList) == sizeof(void*));
