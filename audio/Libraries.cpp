// FluidSynth and libsndfile, opened when audio is first made. Linked directly, they load
// some forty libraries of their own (sound servers, codecs, GLib) into every run of the
// program, a few megabytes for commands and a viewer that never play a note. Here the
// functions the audio code calls are defined once, each forwarding to the library's own,
// found on first use; without the library they fail as FluidSynth and libsndfile report
// failure, and AudioLibraryProblem says why.
#include "audio/Libraries.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <sndfile.h>

#include <string>

namespace
{
struct CLibrary
{
    explicit CLibrary(const char* file) : Handle(dlopen(file, RTLD_NOW | RTLD_LOCAL))
    {
        if (!Handle) {
            const char* why = dlerror();
            Problem = why ? why : file;
        }
    }
    template <class Function>
    Function Find(const char* name) const
    {
        return Handle ? reinterpret_cast<Function>(dlsym(Handle, name)) : nullptr;
    }
    void* Handle;
    std::string Problem;
};

const CLibrary& FluidSynth()
{
    static const CLibrary library("libfluidsynth.so.3");
    return library;
}

const CLibrary& SndFile()
{
    static const CLibrary library("libsndfile.so.1");
    return library;
}
}  // namespace

std::string AudioLibraryProblem()
{
    std::string problem = FluidSynth().Problem;
    if (!SndFile().Problem.empty()) {
        if (!problem.empty())
            problem += "; ";
        problem += SndFile().Problem;
    }
    return problem;
}

// Defines `name` with its signature, forwarding to the library's function, or returning
// `failed` when the library or the function is missing.
#define PLEKTO_FORWARD(library, result, name, parameters, arguments, failed)                 \
    extern "C" result name parameters                                                      \
    {                                                                                      \
        static const auto function = library().Find<result(*) parameters>(#name);          \
        return function ? function arguments : failed;                                     \
    }

// clang-format off
PLEKTO_FORWARD(FluidSynth, fluid_log_function_t, fluid_set_log_function, (int level, fluid_log_function_t fun, void* data), (level, fun, data), nullptr)
PLEKTO_FORWARD(FluidSynth, fluid_settings_t*, new_fluid_settings, (void), (), nullptr)
PLEKTO_FORWARD(FluidSynth, void, delete_fluid_settings, (fluid_settings_t* settings), (settings), void())
PLEKTO_FORWARD(FluidSynth, int, fluid_settings_setnum, (fluid_settings_t* settings, const char* name, double val), (settings, name, val), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_settings_setint, (fluid_settings_t* settings, const char* name, int val), (settings, name, val), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_settings_setstr, (fluid_settings_t* settings, const char* name, const char* str), (settings, name, str), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, fluid_synth_t*, new_fluid_synth, (fluid_settings_t* settings), (settings), nullptr)
PLEKTO_FORWARD(FluidSynth, void, delete_fluid_synth, (fluid_synth_t* synth), (synth), void())
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_sfload, (fluid_synth_t* synth, const char* filename, int reset_presets), (synth, filename, reset_presets), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_noteon, (fluid_synth_t* synth, int chan, int key, int vel), (synth, chan, key, vel), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_noteoff, (fluid_synth_t* synth, int chan, int key), (synth, chan, key), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_cc, (fluid_synth_t* synth, int chan, int ctrl, int val), (synth, chan, ctrl, val), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_program_change, (fluid_synth_t* synth, int chan, int program), (synth, chan, program), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_pitch_bend, (fluid_synth_t* synth, int chan, int val), (synth, chan, val), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_write_float, (fluid_synth_t* synth, int len, void* lout, int loff, int lincr, void* rout, int roff, int rincr), (synth, len, lout, loff, lincr, rout, roff, rincr), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, int, fluid_synth_all_sounds_off, (fluid_synth_t* synth, int chan), (synth, chan), FLUID_FAILED)
PLEKTO_FORWARD(FluidSynth, fluid_audio_driver_t*, new_fluid_audio_driver2, (fluid_settings_t* settings, fluid_audio_func_t func, void* data), (settings, func, data), nullptr)
PLEKTO_FORWARD(FluidSynth, void, delete_fluid_audio_driver, (fluid_audio_driver_t* driver), (driver), void())
PLEKTO_FORWARD(SndFile, SNDFILE*, sf_open_fd, (int fd, int mode, SF_INFO* sfinfo, int close_desc), (fd, mode, sfinfo, close_desc), nullptr)
PLEKTO_FORWARD(SndFile, int, sf_format_check, (const SF_INFO* info), (info), 0)
PLEKTO_FORWARD(SndFile, sf_count_t, sf_writef_short, (SNDFILE* sndfile, const short* ptr, sf_count_t frames), (sndfile, ptr, frames), 0)
PLEKTO_FORWARD(SndFile, int, sf_close, (SNDFILE* sndfile), (sndfile), SF_ERR_SYSTEM)
PLEKTO_FORWARD(SndFile, const char*, sf_strerror, (SNDFILE* sndfile), (sndfile), "libsndfile cannot be loaded")
PLEKTO_FORWARD(SndFile, const char*, sf_error_number, (int errnum), (errnum), "libsndfile cannot be loaded")
// clang-format on
