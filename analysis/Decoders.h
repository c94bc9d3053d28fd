#pragma once
// The decoders, one per content. Each takes one tape file's bytes (the first byte after the
// sync byte), writes its description, lines, findings and verdict, and returns the offset of
// the first byte it did not consume. None of them fails: damage is told in the report.
#include "analysis/AnalyseTape.h"
#include "analysis/ReportWriter.h"

namespace tonvale {

// Classifies the tape file by its first bytes, settles Level 1 or Level 2 (asking when
// nothing tells) and hands it to its decoder.
std::size_t AnalyseTapeFile(ReportWriter& out, LevelQuestion& questions, ByteView file);

std::size_t ListLevel2Basic(ReportWriter& out, ByteView file);
std::size_t DecodeSystemTape(ReportWriter& out, ByteView file);
std::size_t ListLevel1Basic(ReportWriter& out, ByteView file);
std::size_t DecodeLevel1System(ReportWriter& out, ByteView file);
std::size_t ListEdtasmSource(ReportWriter& out, ByteView file);
std::size_t ReportUnidentified(ReportWriter& out, ByteView file);
std::size_t ReportEmptyLevel1Csave(ReportWriter& out, ByteView file);

} // namespace tonvale
