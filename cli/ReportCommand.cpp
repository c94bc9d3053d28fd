// tonvale-cli report: the report as "&Save" writes it, the status lines on standard error.
#include "cli/Commands.h"
#include "cli/Options.h"

#include <cstdio>

namespace tonvale::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tonvale-cli report [OPTIONS] TAPE...\n"
    "Analyses each TAPE and prints its report: the first tape file's description, then\n"
    "every report line (CR LF line ends, the bytes as on tape). Standard error gets the\n"
    "summary line and the playing time.\n\n"
    "Options:\n"
    "  --level 1|2     answer 'Level 1 or 2?' (default: ask on a terminal, else Level 2)\n"
    "  --format 1|2|H  the sound's format when the tape files' formats differ\n"
    "                  (default: ask on a terminal, else Level 2)\n"
    "  --lnw           LNW 1kHz: the playing time at double speed\n"
    "  --trs-font      keep bytes 80h-FFh as they are, for the TRS-80 font\n"
    "  -h, --help      this text\n\n"
    "Exit status: 0 every tape file ok, 1 any bad or suspicious, 2 a tape unreadable or\n"
    "bad arguments.\n";

} // namespace

int RunReport(const std::vector<std::string>& args) {
    Options options;
    if (auto error = ParseOptions(args, {"--level", "--format", "--lnw", "--trs-font"}, options)) {
        std::fprintf(stderr, "tonvale-cli report: %s\n\n%s", error->c_str(), kHelp);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (options.tapes.empty()) {
        std::fprintf(stderr, "tonvale-cli report: no TAPE given\n\n%s", kHelp);
        return kExitUsage;
    }

    int status = kExitOk;
    const bool several = options.tapes.size() > 1;
    for (const std::string& tape : options.tapes) {
        Session session(options);
        if (several) {
            std::string heading = "==> " + tape + " <==\r\n";
            WriteOut(ToBytes(heading));
        }
        if (!session.Open(tape)) {
            status = kExitUsage;
            continue;
        }
        WriteOut(session.dlg.ComposeReportText());
        std::fflush(stdout);
        if (several) WriteErr(ToBytes(tape + ": "));
        WriteErr(session.dlg.ControlText(ControlId::SummaryLine));
        WriteErrLine("");
        if (!session.dlg.ControlText(ControlId::DurationLine).empty()) {
            WriteErr(session.dlg.ControlText(ControlId::DurationLine));
            WriteErrLine("");
        }
        if (status == kExitOk) status = session.VerdictStatus();
    }
    return status;
}

} // namespace tonvale::cli
