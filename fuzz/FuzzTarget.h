#pragma once
// Shared by the fuzz targets: a fresh program state per input, with every prompt answered
// from the input itself so that the fuzzer explores both answers.
#include "app/TonvaleDlg.h"
#include "platform/headless/HeadlessPlatform.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace tonvale::fuzz {

struct Harness {
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};

    // The first byte chooses the answers and the font; the rest is the tape image.
    Harness(const std::uint8_t*& data, std::size_t& size) {
        platform.onExit = [](int) {};
        const std::uint8_t choice = size > 0 ? data[0] : 0;
        if (size > 0) {
            ++data;
            --size;
        }
        platform.trsFont = (choice & 1) != 0;
        const TapeFormat level = (choice & 2) ? TapeFormat::Level1 : TapeFormat::Level2;
        platform.levelAnswer = [level] { return level; };
        const TapeFormat formats[] = {TapeFormat::Level2, TapeFormat::Level1, TapeFormat::Highspeed,
                                      TapeFormat::Level2};
        const TapeFormat format = formats[(choice >> 2) & 3];
        platform.formatAnswer = [format] { return format; };
        platform.SetChecked(ControlId::Lnw, (choice & 16) != 0);
        dlg.OnInitDialog();
    }

    // Hands the bytes to the program as if they had been read from a file.
    void Load(const std::uint8_t* data, std::size_t size) {
        dlg.m_tapeData.reset(new Byte[size]);
        if (size > 0) std::memcpy(dlg.m_tapeData.get(), data, size);
        dlg.m_tapeSize = size;
        dlg.WalkTapeFiles();
    }
};

} // namespace tonvale::fuzz
