// Opens a web address with the desktop's default browser. Windows only.
#pragma once

#include <string_view>

namespace quelvar {

// ShellExecuteW with no owner, the default verb and SW_SHOWNORMAL; whether a browser came up is not
// looked at.
void OpenWebAddress(std::u16string_view address);

}  // namespace quelvar
