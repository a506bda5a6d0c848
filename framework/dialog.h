// A modal dialog made from a dialog template resource, with data exchange between controls and members.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/window.h"

namespace quelvar {

class Dialog;

// One pass of data exchange: to the members (saving) or to the controls (loading).
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool saving() const { return saving_; }

  // Attaches the object to the control on the first exchange; later exchanges leave it attached.
  void Control(int id, Window& control);
  // An IP address control's four fields as one value, first field in bits 31..24.
  void IpAddress(int id, std::uint32_t& value);
  // A check box's state: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
  void CheckBox(int id, BOOL& value);

 private:
  HWND Item(int id) const;
  Dialog& dialog_;
  bool saving_;
};

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId, HWND parent = nullptr) : templateId_(templateId), parent_(parent) {}

  // Runs the dialog until EndDialog; its window is destroyed before this returns.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);
  // TRUE: controls to members; FALSE: members to controls.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }

  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Exchanges data to the controls; the result is WM_INITDIALOG's (TRUE: the system sets the focus).
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // exchanges data to the members, then ends the dialog with IDOK
  virtual void OnCancel();  // ends the dialog with IDCANCEL
  virtual void DoDataExchange(DataExchange& /*exchange*/) {}

  // IDOK (Enter) goes to OnOK and IDCANCEL (Escape) to OnCancel.
  Handled OnCommand(UINT id, UINT code, HWND control) override;

 private:
  friend class DataExchange;
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND parent_;
};

}  // namespace quelvar
