// FluidSynth and libsndfile are opened on first use (see Libraries.cpp).
#pragma once

#include <string>

// Why FluidSynth or libsndfile could not be opened; empty when both were.
std::string AudioLibraryProblem();
