#include "symbols/Marks.h"

#include "model/Score.h"

int32_t CTie::GetLevel() const
{
    const int32_t strings = Score->Settings.Strings;
    return Level < 1 || Level > strings ? strings : Level;
}

void CTie::SetLevel(int32_t level)
{
    const int32_t strings = Score->Settings.Strings;
    Level = level < 1 || level > strings ? strings : level;
}

CVibrato::CVibrato(CScore* score) : CScoreInterUnit(score), Level(score->Settings.Strings) {}

void CVibrato::SetLevel(int32_t level) { Level = level <= 0 ? Score->Settings.Strings : level; }
