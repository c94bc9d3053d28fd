#pragma once
#include "base/Bytes.h"
#include "cli/Arguments.h"

#include <memory>
#include <string>
#include <vector>

namespace tonvale {
struct RescueResult;
}

namespace tonvale::cli {

// Each command runs with its parsed options and returns the exit status.
int RunReport(const Options& options);
// report's text for an image in memory named `path`; `several`: one of several tapes.
int ReportImage(const Options& options, const std::string& path, ByteView image, bool several);
// report of a recording (cli/RescueCommand.cpp): rescued as the window does it, then the
// report of its tape and the rescue's lines as `rescue` prints them; no image is written.
int ReportRecording(const Options& options, const std::string& path, bool several);
// The same as one tape's object in report's JSON document.
class OutStream;
int ReportRecordingJson(OutStream& out, const Options& options, const std::string& path);
int RunWav(const Options& options);
// Hands playback to the tonvale-play program beside this one.
int RunPlay(const Options& options, const char* argv0);
// Hands `map` and its arguments to the tonvale-map program beside this one.
int RunMap(const std::vector<std::string>& args, const char* argv0);
// Runs `program` from beside this one with `args`, for its exit status; `failure` is told, and
// `failedStatus` returned, when it is not there; `command` leads other messages.
int RunHelper(const char* command, const char* program, const std::vector<std::string>& args,
              const char* argv0, const std::string& failure, int failedStatus);
// Plays in this process (tonvale-play).
int RunPlayHere(const Options& options);
// make keeps options of its own (cli/MakeCommand.cpp).
struct MakeOptions;
std::shared_ptr<MakeOptions> DefineMake(CLI::App& app);
int RunMake(const MakeOptions& options);

// convert and extract take options of their own.
struct ConvertOptions {
    std::string tape;
    std::string output;
    TapeFormat format = TapeFormat::Level2;
    std::optional<TapeFormat> level;
};
void DefineConvert(CLI::App& app, ConvertOptions& options);
int RunConvert(const ConvertOptions& options);

struct ExtractOptions {
    std::string tape;
    std::string directory = ".";
    bool force = false;
    std::optional<TapeFormat> level;
};
void DefineExtract(CLI::App& app, ExtractOptions& options);
int RunExtract(const ExtractOptions& options);

// tonvale-cli rescue (cli/RescueCommand.cpp): its own options.
struct RescueOptions {
    std::string recording;
    std::optional<std::string> output;
    std::optional<TapeFormat> format;
    std::string channel;              // "left", "right", or empty: the stronger
    std::optional<std::string> trace; // --trace: the CSV file for the decoders' trace
    bool force = false;
    bool json = false;
};
void DefineRescue(CLI::App& app, RescueOptions& options);
int RunRescue(const RescueOptions& options);

// Writes a rescued tape to `output` and prints what `rescue` prints of it, messages led by
// `command`; the exit status.
int SaveAndReport(const std::string& command, const std::string& recording,
                  const std::string& output, const RescueResult& result,
                  const RescueOptions& options);

// tonvale-cli capture (cli/CaptureOptions.cpp, cli/CaptureCommand.cpp): its own options.
struct CaptureOptions {
    std::string name; // NAME.flac and NAME.cas
    std::string device;
    double seconds = 0; // 0: until Ctrl-C
    bool listDevices = false;
    bool force = false;
    bool quality = false; // the quality line even when standard error is no terminal
    bool json = false;    // the report at the end as `rescue --json` prints it
};
void DefineCapture(CLI::App& app, CaptureOptions& options);
// Hands the capture to the tonvale-record program beside this one.
int RunCapture(const CaptureOptions& options, const char* argv0);
// Captures in this process (tonvale-record).
int RunCaptureHere(const CaptureOptions& options);
std::vector<std::string> CaptureArguments(const CaptureOptions& options);

} // namespace tonvale::cli
