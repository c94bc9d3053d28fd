#pragma once
// What the decoder tests share: a fresh window state as before the first tape file of an
// image, and the report read back as text.
#include "app/TonvaleDlg.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tonvale::test {

class DecoderFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.OnInitDialog();
        dlg.ClearReport();
        dlg.SetControlText(ControlId::SummaryLine, std::string_view("Files:"));
    }
    // Runs a decoder (or the driver) on the bytes as the first tape file of an image; returns
    // where it stopped. The bytes are copied into a buffer exactly as large as the tape file,
    // so a read beyond it is caught.
    std::size_t Run(std::size_t (CTonvaleDlg::*decoder)(ByteView), const Bytes& file) {
        m_file = file;
        return (dlg.*decoder)(m_file);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
            lines.emplace_back(AsChars(dlg.m_report.Line(i)));
        return lines;
    }
    std::string Text(ControlId id) const { return std::string(AsChars(dlg.ControlText(id))); }

    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
    Bytes m_file;
};

} // namespace tonvale::test
