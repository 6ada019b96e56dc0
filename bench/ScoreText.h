// Generated score text for the benchmarks: bars of 4/4 with beamed eighths, sixteenth
// groups, chords, ties, triplets and rests, as a guitarist would write them.
#pragma once

#include <string>

inline std::string BarOfMusic(int bar)
{
    const int f = bar % 12;
    const std::string a = std::to_string(f);
    const std::string b = std::to_string((f + 2) % 15);
    const std::string c = std::to_string((f + 3) % 15);
    std::string text;
    if (bar % 8 == 0)
        text += "chAm7/";
    text += "n8cn" + a + ".-.2/fs8/n8cn" + b + "/fe/";
    text += "n16cn" + c + "/fs8/fs16/n16cn" + a + "/n16cn" + b + "/n16cn" + c + "/fe/fe/";
    text += "n4nn" + a + "." + b + "." + c + ".2.0/_sh1/n4nn" + b + "/_e/";
    text += "n8sn.5/3s/n8sn.7/n8sn.8/3e/r8/|\n";
    return text;
}

// About `bytes` of score text.
inline std::string ScoreOfSize(std::size_t bytes)
{
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; text.size() < bytes; ++bar)
        text += BarOfMusic(bar);
    return text;
}
