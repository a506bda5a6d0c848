// Entry of the skin tests: the common controls of version 6 (the manifest's), then every test.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "skin_test_support.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  quelvar::skin_test::DestroyStage();
  return result;
}
