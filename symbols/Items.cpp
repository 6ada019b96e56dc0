#include "symbols/Items.h"

#include <new>

#include "model/Score.h"
#include "settings/Ascii.h"

namespace
{
template <class Item>
std::unique_ptr<CScoreItem> CloneOf(const Item& item)
{
    try {
        return std::unique_ptr<CScoreItem>(new Item(item));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
}  // namespace

CItemNote::CItemNote(CScore* score, int32_t units)
    : CScoreItem(score, units),
      Frets(score->Settings.Strings, NoNote)
{
}

// The copy is sized by the score's current string count, which is final once the
// first item exists; the source's entries are copied as far as both reach.
CItemNote::CItemNote(const CItemNote& other)
    : CScoreItem(other),
      Frets(Score->Settings.Strings, NoNote),
      HeadKind(other.HeadKind),
      FlagKind(other.FlagKind),
      Dotted(other.Dotted),
      Length(other.Length)
{
    for (std::size_t i = 0; i < Frets.size() && i < other.Frets.size(); ++i)
        Frets.Set(i, other.Frets[i]);
}

std::unique_ptr<CScoreItem> CItemNote::Clone() const { return CloneOf(*this); }

int32_t CItemNote::GetFret(int32_t s) const
{
    if (s < 1 || s > Score->Settings.Strings || static_cast<std::size_t>(s) > Frets.size())
        return Invalid;
    const int32_t value = Frets[static_cast<std::size_t>(s) - 1];
    return value < Invalid ? Invalid : value;
}

void CItemNote::SetFret(int32_t s, int32_t value)
{
    if (s < 1 || s > Score->Settings.Strings || static_cast<std::size_t>(s) > Frets.size())
        return;
    Frets.Set(static_cast<std::size_t>(s) - 1, value <= Invalid ? NoNote : value);
}

int32_t CItemNote::SetFrets(std::string_view text)
{
    const int32_t strings = Score->Settings.Strings;
    bool textLeft = true;  // false once the last piece has been taken
    for (int32_t s = 1; s <= strings; ++s) {
        std::string_view piece;
        if (textLeft) {
            const std::size_t dot = text.find('.');
            piece = text.substr(0, dot);
            if (dot == std::string_view::npos)
                textLeft = false;
            else
                text.remove_prefix(dot + 1);
        }
        if (piece.empty() || piece[0] == '-') {
            SetFret(s, NoNote);
        } else if (piece[0] == 'X' || piece[0] == 'x') {
            SetFret(s, Muted);
        } else if (IsDigit(piece[0])) {
            int32_t value = piece[0] - '0';
            if (piece.size() > 1 && IsDigit(piece[1]))
                value = value * 10 + (piece[1] - '0');
            SetFret(s, value);
        } else {
            return s;  // a piece it does not understand ends the list here
        }
    }
    return 0;
}

std::unique_ptr<CScoreItem> CItemRest::Clone() const { return CloneOf(*this); }
std::unique_ptr<CScoreItem> CItemMusicalTime::Clone() const { return CloneOf(*this); }
std::unique_ptr<CScoreItem> CItemRepeatBar::Clone() const { return CloneOf(*this); }
std::unique_ptr<CScoreItem> CItemSpace::Clone() const { return CloneOf(*this); }
