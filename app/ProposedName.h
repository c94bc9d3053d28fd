#pragma once
#include <string>
#include <string_view>

namespace tonvale {

// The name a save dialog proposes for an output of the loaded tape: its path with a final
// ".cas" (any case) replaced by `extension`, else with `extension` appended. GAME.CAS proposes
// GAME.wav, game.bin proposes game.bin.wav. At most 259 characters: a longer path is cut
// before the extension, never inside a UTF-8 character.
std::string ProposedName(std::string_view tapePath, std::string_view extension);

} // namespace tonvale
