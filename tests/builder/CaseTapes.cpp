#include "builder/CaseTapes.h"

#include "builder/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tonvale::test {

std::vector<CaseTape> CaseTapes() {
    const std::string source = TONVALE_SOURCE_DIR;
    std::vector<CaseTape> tapes;
    std::ifstream index(source + "/tests/golden/cases.txt");
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string name, font, decoder;
        int level = 0;
        if (line.starts_with("#") || !(fields >> name >> level >> font >> decoder)) continue;
        std::string path = source + "/tests/golden/cases/" + name + ".cas";
        if (!std::filesystem::exists(path)) path = source + "/examples/" + name + ".cas";
        tapes.push_back({name, ReadFile(path), level == 1 ? TapeFormat::Level1 : TapeFormat::Level2,
                         font == "trs", decoder});
    }
    return tapes;
}

TapeReport Analyse(ByteView image, TapeFormat level, bool trsFont, ReportSink* sink) {
    FixedLevel question(level);
    return AnalyseTape(image, question, AnalysisSettings{trsFont}, sink);
}

} // namespace tonvale::test
