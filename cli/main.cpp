// plekto: the viewer when started with no subcommand, or one of the headless
// subcommands (dump, check, render, trace).
#include <QHashFunctions>

#include "cli/Commands.h"

int main(int argc, char** argv)
{
    // Qt's hashes decide the order of some PDF objects: a fixed seed gives the same bytes
    // for the same input on every run.
    QHashSeed::setDeterministicGlobalSeed();
    return RunPlekto(argc, argv);
}
