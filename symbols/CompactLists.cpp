#include "symbols/CompactLists.h"

#include <algorithm>
#include <limits>
#include <new>

CFretList::CFretList(int32_t count, int32_t fill)
{
    if (count <= 0)
        return;
    if (static_cast<std::size_t>(count) <= InPlace) {
        Count = static_cast<unsigned char>(count);
        std::memset(Bytes, static_cast<unsigned char>(static_cast<int8_t>(fill)), Count);
        return;
    }
    auto* data = new int32_t[static_cast<std::size_t>(count) + 1];
    data[0] = count;
    std::fill(data + 1, data + 1 + count, fill);
    std::memcpy(Bytes, &data, sizeof data);
    Count = Wide;
}

CFretList::CFretList(const CFretList& other) : Count(other.Count)
{
    std::memcpy(Bytes, other.Bytes, sizeof Bytes);
    if (other.IsWide()) {
        const std::size_t n = other.size() + 1;
        auto* data = new int32_t[n];
        std::copy(other.WideData(), other.WideData() + n, data);
        std::memcpy(Bytes, &data, sizeof data);
    }
}

CFretList& CFretList::operator=(const CFretList& other)
{
    if (this != &other) {
        CFretList copy(other);
        Release();
        std::memcpy(Bytes, copy.Bytes, sizeof Bytes);
        Count = copy.Count;
        copy.Count = 0;  // the heap array, if any, now belongs here
    }
    return *this;
}

void CFretList::Release()
{
    if (IsWide())
        delete[] WideData();
    Count = 0;
}

void CFretList::SetWide(std::size_t i, int32_t value)
{
    if (!IsWide()) {
        const std::size_t n = Count;
        auto* data = new int32_t[n + 1];
        data[0] = static_cast<int32_t>(n);
        for (std::size_t k = 0; k < n; ++k)
            data[k + 1] = static_cast<int8_t>(Bytes[k]);
        std::memcpy(Bytes, &data, sizeof data);
        Count = Wide;
    }
    WideData()[i + 1] = value;
}

std::vector<int32_t> CFretList::Values() const
{
    std::vector<int32_t> values(size());
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = (*this)[i];
    return values;
}

CMarkList::~CMarkList()
{
    if (IsBlock())
        ::operator delete(Block());
}

CMarkList::CBlock* CMarkList::NewBlock(uint32_t capacity)
{
    auto* block = static_cast<CBlock*>(::operator new(sizeof(CBlock) + capacity * sizeof(CScoreInterUnit*)));
    block->Size = 0;
    block->Capacity = capacity;
    return block;
}

void CMarkList::push_back(CScoreInterUnit* mark)
{
    if (!IsBlock() && One == nullptr && mark != nullptr) {
        One = mark;
        return;
    }
    const std::size_t size = this->size();
    CBlock* block = IsBlock() ? Block() : nullptr;
    if (!block || block->Size == block->Capacity) {
        if (size >= std::numeric_limits<uint32_t>::max() / 2)
            throw std::bad_alloc();
        CBlock* grown = NewBlock(static_cast<uint32_t>(std::max<std::size_t>(2, 2 * size)));
        std::copy(begin(), end(), grown->Data());
        grown->Size = static_cast<uint32_t>(size);
        if (block)
            ::operator delete(block);
        block = grown;
        One = reinterpret_cast<CScoreInterUnit*>(reinterpret_cast<std::uintptr_t>(block) | 1);
    }
    block->Data()[block->Size++] = mark;
}

void CMarkList::EraseLast(const CScoreInterUnit* mark)
{
    if (!IsBlock()) {
        if (One == mark)
            One = nullptr;
        return;
    }
    CBlock* block = Block();
    CScoreInterUnit** data = block->Data();
    for (std::size_t i = block->Size; i-- > 0;) {
        if (data[i] == mark) {
            std::copy(data + i + 1, data + block->Size, data + i);
            --block->Size;
            return;
        }
    }
}
