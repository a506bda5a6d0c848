// The web address of a listed device, made only from cell texts that cannot steer it elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelvar {

// Four decimal numbers 0..255 joined by full stops and nothing else: no blanks, signs, leading
// zeros (which some parsers read as octal), user parts, paths or ports.
bool IsPlainDottedQuad(std::u16string_view text);

// One to five decimal digits with a value from 0 to 65535, and nothing else.
bool IsDecimalPort(std::u16string_view text);

// "http://%s:%s" of the row's "IP address" and "HTTP Port" texts, exactly as they stand; nothing when
// either text fails the checks above. The texts come from any host on the network, so a text that
// is not a plain address and port opens no page at all.
std::optional<std::u16string> DeviceWebAddress(std::u16string_view ipText, std::u16string_view portText);

}  // namespace quelvar
