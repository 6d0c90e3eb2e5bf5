// Realises a form of the control model as native Win32 controls and keeps them in step with it.
// The model stays the single source of truth: input becomes a user action on the model, and
// every model change (observed) updates the native control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/form.h"

namespace vlx::ui::win32 {

class DialogKeys;

class NativeForm : public FormObserver {
 public:
  // `runAction` runs a user action with the program's error box around it.
  using ActionRunner = std::function<void(const std::function<void()>&)>;
  // Draws item `index` of an owner-drawn combo box into `item` on a device context whose brush
  // and text colour are set for the item's selected or normal state.
  using ItemPainter =
      std::function<void(HDC dc, int index, const std::string& text, const RECT& item)>;

  NativeForm(Form& form, HWND host, ActionRunner runAction);
  ~NativeForm() override;
  NativeForm(const NativeForm&) = delete;
  NativeForm& operator=(const NativeForm&) = delete;

  // Creates a native window for every control of the form.
  void Realize();

  // Messages from native children (containers forward theirs to the host); true when handled.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Ctrl+Tab, Ctrl+PgDn (next page) and Ctrl+Shift+Tab, Ctrl+PgUp (previous page) on the
  // page control around the focused window, as a click on that tab; true when handled.
  bool StepPagesByKey(const MSG& msg);

  // Every message the loop fetches, before the dialog navigation: Enter, Escape and the arrows
  // in a radio group as a dialog box takes them (see DialogKeys); true when handled.
  bool TranslateDialogKey(const MSG& msg);
  // The first control of the shown page takes the focus (when the window opens).
  void FocusFirstControl();

  HWND WindowOf(const Control& control) const;
  Control* ControlOf(HWND window) const;

  void Changed(Control& control, Prop prop) override;

  // The page's own drawing of the items of the owner-drawn combo box `name`.
  void SetItemPainter(const std::string& name, ItemPainter painter);

  // Registers the window classes of containers and images (once per process).
  static void RegisterClasses(HINSTANCE instance);

 private:
  void Create(Control& control);
  HWND ParentWindowOf(const Control& control) const;
  void Sync(Control& control, Prop prop);
  void SyncForm(Prop prop);
  Control* PageControlFor(HWND window) const;
  void FillItems(Control& control);
  void SelectIndex(Control& control);
  void ShowActivePage(Control& pages);
  void PlaceSheets(Control& pages);
  HFONT FontFor(const Control& control);
  HBRUSH BrushFor(std::uint32_t colour);
  void Act(const std::function<void()>& action);
  void ShowPopupFor(Control& control, int x, int y);
  bool OnCommand(HWND child, int code);
  bool OnNotify(NMHDR& header, LRESULT& result);
  bool OnDrawItem(DRAWITEMSTRUCT& item);
  bool OnScroll(HWND child);
  bool OnCtlColor(HDC dc, HWND child, LRESULT& result);
  void OnListClick(Control& control, HWND window, int x, int y);
  void LoadGlyph(const Control& control);
  void FitText(const Control& control);
  void DrawSpeedButton(const Control& control, DRAWITEMSTRUCT& item);

  static LRESULT CALLBACK ListSubclassProc(HWND, UINT, WPARAM, LPARAM);

  Form& form_;
  HWND host_;
  ActionRunner runAction_;
  std::map<const Control*, HWND> windows_;
  std::map<HWND, Control*> controls_;
  std::map<int, Control*> ids_;
  std::map<const Control*, HIMAGELIST> glyphs_;
  std::map<const Control*, ItemPainter> painters_;
  std::map<std::string, HFONT> fonts_;
  std::map<const Control*, HIMAGELIST> imageLists_;
  std::map<std::uint32_t, HBRUSH> brushes_;
  std::unique_ptr<DialogKeys> keys_;
  int syncing_ = 0;  // > 0 while the model writes into native controls
};

// Colour of the model (0x00BBGGRR, or a system colour with the top bit set) as a COLORREF.
COLORREF ToColorRef(std::uint32_t colour);

}  // namespace vlx::ui::win32
