// Helpers for tests that read a score from text.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

struct ReadScore
{
    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score;

    explicit ReadScore(const std::string& text) : Score(std::make_unique<CScore>(Store))
    {
        std::istringstream in(text);
        CScoreReader(*Score).Read(in);
    }
    ReadScore(const std::string& text, CMemorySettingsStore store)
        : Store(std::move(store)), Score(std::make_unique<CScore>(Store))
    {
        std::istringstream in(text);
        CScoreReader(*Score).Read(in);
    }

    std::size_t Items() const { return Score->UnitItems.size(); }
    std::size_t Marks() const { return Score->SpanMarks.size(); }
    template <class T>
    T* Item(std::size_t i) const
    {
        return i < Score->UnitItems.size() ? dynamic_cast<T*>(Score->UnitItems[i].get()) : nullptr;
    }
    template <class T>
    T* Mark(std::size_t i) const
    {
        return i < Score->SpanMarks.size() ? dynamic_cast<T*>(Score->SpanMarks[i].get()) : nullptr;
    }
    CScoreItem* ItemAt(std::size_t i) const { return Score->UnitItems.at(i).get(); }
};
