// Drawing of the unit items (in progress: filled in with the page drawing).
#include "symbols/Items.h"

void CItemNote::Draw(CSurface&) {}
void CItemRest::Draw(CSurface&) {}
void CItemMusicalTime::Draw(CSurface&) {}
void CItemRepeatBar::Draw(CSurface&) {}
void CItemSpace::Draw(CSurface&) {}
