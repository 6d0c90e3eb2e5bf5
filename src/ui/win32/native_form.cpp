#include "ui/win32/native_form.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/colorpicker.h"
#include "ui/user_action.h"
#include "ui/win32/dialog_keys.h"

namespace vlx::ui::win32 {

namespace {

constexpr char kContainerClass[] = "VlxContainer";
constexpr char kImageClass[] = "VlxImage";
constexpr char kGroupProp[] = "VlxGroup";
constexpr char kSubclassProp[] = "VlxPrevProc";
constexpr char kFontProp[] = "VlxFont";
constexpr char kPressedProp[] = "VlxPressed";
constexpr char kHotProp[] = "VlxHot";
constexpr int kCheckListItemHeight = 19;
constexpr int kColourItemHeight = 13;  // owner-drawn combo box items
// Messages native children send up to the top-level window.
constexpr UINT kListCheckMessage = WM_APP + 1;  // wParam: list box; lParam: the point
constexpr UINT kListMouseDownMessage = WM_APP + 4;  // wParam: list box; lParam: the point
constexpr UINT kImageMouseMove = WM_APP + 2;    // wParam: image; lParam: buttons and keys held
constexpr UINT kImageMouseUp = WM_APP + 3;      // wParam: image
constexpr int kCheckBoxArea = 16;
constexpr int kHeaderMargins = 16;
constexpr int kGroupFrame = 2;  // width of a group box's etched edge  // a list view header's text margins, both sides together

bool IsPageControl(const Control& control) {
  if (control.kind() != Kind::TabControl) return false;
  return std::any_of(control.Children().begin(), control.Children().end(),
                     [](const Control* c) { return c->kind() == Kind::TabSheet; });
}

Control* ControlFromWindow(HWND window) {
  return reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Containers pass their children's notifications on to the top-level window.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      SetPropA(window, kFontProp, reinterpret_cast<HANDLE>(wParam));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(GetPropA(window, kFontProp));
    case WM_NCDESTROY:
      RemovePropA(window, kFontProp);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
      const Control* control = ControlFromWindow(window);
      RECT rc;
      GetClientRect(window, &rc);
      HBRUSH brush = CreateSolidBrush(ToColorRef(control ? control->Color() : 0x8000000Fu));
      FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
      DeleteObject(brush);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      const Control* control = ControlFromWindow(window);
      if (control && (GetPropA(window, kGroupProp) || control->kind() == Kind::Panel)) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(control->EffectiveFont().color));
        RECT rc;
        GetClientRect(window, &rc);
        const std::string& caption = control->Text();
        if (GetPropA(window, kGroupProp)) {
          TEXTMETRICA tm;
          GetTextMetricsA(dc, &tm);
          RECT frame = rc;
          frame.top += tm.tmHeight / 2;
          DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
          if (!caption.empty()) {
            SIZE size;
            GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            RECT text = {8, 0, 8 + size.cx + 4, tm.tmHeight};
            HBRUSH brush = CreateSolidBrush(ToColorRef(control->Color()));
            FillRect(dc, &text, brush);
            DeleteObject(brush);
            TextOutA(dc, 10, 0, caption.c_str(), static_cast<int>(caption.size()));
          }
        } else if (!caption.empty()) {
          DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &rc,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        SelectObject(dc, old);
      }
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y, int width, int height,
                 bool stretch) {
  if (picture.Empty() || !picture.native) return;
  if (picture.kind == Picture::Kind::Bitmap) {
    HBITMAP bitmap = static_cast<HBITMAP>(picture.native.get());
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (stretch) {
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, x, y, width, height, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    } else {
      BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
  } else {
    HICON icon = static_cast<HICON>(picture.native.get());
    if (stretch)
      DrawIconEx(dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
    else
      DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
  }
}

void DrawImage(HWND window, const Image& image, HDC dc) {
  RECT rc;
  GetClientRect(window, &rc);
  DrawPicture(dc, image.GetPicture(), 0, 0, rc.right, rc.bottom, image.stretch);
  for (const auto& drawing : image.Canvas())
    DrawPicture(dc, drawing.picture, drawing.x, drawing.y, 0, 0, false);
}

// Buttons and keys held during a mouse message, as the model's image handlers take them.
std::uint32_t MouseShift(WPARAM keys) {
  std::uint32_t shift = 0;
  if (keys & MK_SHIFT) shift |= mouse::Shift;
  if (keys & MK_CONTROL) shift |= mouse::Ctrl;
  if (keys & MK_LBUTTON) shift |= mouse::Left;
  if (keys & MK_RBUTTON) shift |= mouse::Right;
  if (keys & MK_MBUTTON) shift |= mouse::Middle;
  if (GetKeyState(VK_MENU) < 0) shift |= mouse::Alt;
  return shift;
}

// What lies beneath a control: its parent's colour and the pictures below it among its
// siblings. Images and transparent controls show it around and through their pictures.
void PaintBeneath(HWND window, HDC dc) {
  RECT rc;
  GetClientRect(window, &rc);
  const Control* parent = ControlFromWindow(GetParent(window));
  HBRUSH brush = CreateSolidBrush(ToColorRef(parent ? parent->Color() : colour::BtnFace));
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  RECT mine;
  GetWindowRect(window, &mine);
  for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
    const Control* control = ControlFromWindow(below);
    if (!control || control->kind() != Kind::Image || !IsWindowVisible(below)) continue;
    RECT theirs, both;
    GetWindowRect(below, &theirs);
    if (!IntersectRect(&both, &mine, &theirs)) continue;
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, theirs.left - mine.left, theirs.top - mine.top, nullptr);
    SendMessageA(below, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
  }
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* image = dynamic_cast<Image*>(ControlFromWindow(window));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (image) DrawImage(window, *image, dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:  // what lies beneath a transparent control above the image
      if (image) DrawImage(window, *image, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:  // the class has no brush: nothing else clears what was shown before
      PaintBeneath(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SETCURSOR:
      if (image && !image->cursor.Empty() && image->cursor.native) {
        SetCursor(static_cast<HCURSOR>(image->cursor.native.get()));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The image keeps the mouse, across the whole screen, until the button is released.
      SetPropA(window, kPressedProp, reinterpret_cast<HANDLE>(1));
      SetCapture(window);
      return 0;
    case WM_MOUSEMOVE:
      if (image && image->onMouseMove) {
        SendMessageA(GetAncestor(window, GA_ROOT), kImageMouseMove,
                     reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(MouseShift(wParam)));
        if (!image->cursor.Empty() && image->cursor.native)
          SetCursor(static_cast<HCURSOR>(image->cursor.native.get()));
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const bool pressed = RemovePropA(window, kPressedProp) != nullptr;
      HWND root = GetAncestor(window, GA_ROOT);
      if (pressed) SendMessageA(root, kImageMouseUp, reinterpret_cast<WPARAM>(window), 0);
      if (GetCapture() == window && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
        ReleaseCapture();
      POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT rc;
      GetClientRect(window, &rc);
      if (message == WM_LBUTTONUP && PtInRect(&rc, pt))
        SendMessageA(root, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), STN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Capture taken away while a button was held: the press ends here.
      if (RemovePropA(window, kPressedProp))
        SendMessageA(GetAncestor(window, GA_ROOT), kImageMouseUp,
                     reinterpret_cast<WPARAM>(window), 0);
      return 0;
    case WM_NCDESTROY:
      RemovePropA(window, kPressedProp);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Flat speed buttons show a raised edge while the mouse is over them.
LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, kSubclassProp));
  switch (message) {
    case WM_MOUSEMOVE:
      if (!GetPropA(window, kHotProp)) {
        SetPropA(window, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      RemovePropA(window, kHotProp);
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropA(window, kSubclassProp);
      RemovePropA(window, kHotProp);
      break;
    default:
      break;
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::string WithoutLineEndBlanks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r' || c == '\n')
      while (!out.empty() && out.back() == ' ') out.pop_back();
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string FontKey(const Font& font) {
  return font.name + '|' + std::to_string(font.height) + '|' + (font.bold ? "b" : "n") + '|' +
         std::to_string(font.charset);
}

}  // namespace

COLORREF ToColorRef(std::uint32_t colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

void NativeForm::RegisterClasses(HINSTANCE instance) {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSA container{};
  container.style = CS_HREDRAW | CS_VREDRAW;
  container.lpfnWndProc = ContainerProc;
  container.hInstance = instance;
  container.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  container.lpszClassName = kContainerClass;
  RegisterClassA(&container);
  WNDCLASSA image = container;
  image.lpfnWndProc = ImageProc;
  image.lpszClassName = kImageClass;
  RegisterClassA(&image);
}

NativeForm::NativeForm(Form& form, HWND host, ActionRunner runAction)
    : form_(form), host_(host), runAction_(std::move(runAction)) {}

NativeForm::~NativeForm() {
  if (form_.Observer() == this) form_.SetObserver(nullptr);
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [control, list] : imageLists_) ImageList_Destroy(list);
  for (auto& [colour, brush] : brushes_) DeleteObject(brush);
  for (auto& [control, glyph] : glyphs_) ImageList_Destroy(glyph);
}

// Labels, check boxes and radio buttons grow to show their whole text on the lines it has: up
// to their parent's right edge, wrapping within that width when even that is too narrow.
void NativeForm::FitText(const Control& control) {
  const Kind kind = control.kind();
  const bool box = kind == Kind::CheckBox || kind == Kind::RadioButton;
  HWND window = WindowOf(control);
  if (!window || (kind != Kind::Label && !box)) return;
  const Rect& b = control.Bounds();
  RECT parent{};
  GetClientRect(GetParent(window), &parent);
  // In a group box the text stops short of the etched frame along its right edge.
  if (GetPropA(GetParent(window), kGroupProp)) parent.right -= kGroupFrame;
  const int room = std::max<int>(parent.right - b.left, b.width);
  const int mark = box ? kCheckBoxArea + 3 : 0;  // the box and the gap before the text
  const std::string& text = control.Text();
  // Blanks that end a line of a label's caption show nothing and need no room.
  const std::string shown = kind == Kind::Label ? WithoutLineEndBlanks(text) : text;
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, FontFor(control));
  RECT need = {0, 0, 0, 0};
  const UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  if (!shown.empty()) DrawTextA(dc, shown.c_str(), -1, &need, flags);
  const bool wraps = need.right + mark > room;
  if (wraps) {
    need = {0, 0, room - mark, 0};
    DrawTextA(dc, text.c_str(), -1, &need, flags | DT_WORDBREAK);
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  if (kind == Kind::Label) {
    // A caption whose lines fit keeps them as they are: the label then breaks no line of its
    // own (at a line-ending blank, say) and cuts what lies beyond its edge.
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR wanted = (style & ~SS_TYPEMASK) | (wraps ? SS_LEFT : SS_LEFTNOWORDWRAP);
    if (wanted != style) {
      SetWindowLongPtrA(window, GWL_STYLE, wanted);
      InvalidateRect(window, nullptr, TRUE);
    }
  }
  const int width = std::max<int>(b.width, std::min<int>(room, need.right + mark));
  const int height = std::max<int>(b.height, need.bottom);
  RECT now;
  GetWindowRect(window, &now);
  if (now.right - now.left != width || now.bottom - now.top != height)
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeForm::SetItemPainter(const std::string& name, ItemPainter painter) {
  if (Control* control = form_.Find(name)) painters_[control] = std::move(painter);
}

// A speed button's glyph is the program's bitmap resource of the button's name; the colour of
// its bottom-left pixel is transparent.
void NativeForm::LoadGlyph(const Control& control) {
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), control.Name().c_str(),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const COLORREF key = GetPixel(memory, 0, info.bmHeight - 1);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  HIMAGELIST list = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (list && ImageList_AddMasked(list, bitmap, key) >= 0)
    glyphs_[&control] = list;
  else if (list)
    ImageList_Destroy(list);
  DeleteObject(bitmap);
}

void NativeForm::DrawSpeedButton(const Control& control, DRAWITEMSTRUCT& item) {
  const auto& button = static_cast<const SpeedButton&>(control);
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool down = button.Down();
  const bool enabled = control.Enabled();
  const bool hot = GetPropA(item.hwndItem, kHotProp) != nullptr;
  // Buttons with a caption carry a raised edge; picture-only buttons are flat.
  const bool flat = control.Text().empty();
  if (down && !pressed) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    HBRUSH brush = CreateSolidBrush(RGB((GetRValue(face) + GetRValue(light)) / 2,
                                        (GetGValue(face) + GetGValue(light)) / 2,
                                        (GetBValue(face) + GetBValue(light)) / 2));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
  } else {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (pressed || down)
    DrawEdge(dc, &rc, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
  else if (!flat)
    DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
  else if (hot && enabled)
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);

  auto glyph = glyphs_.find(&control);
  int glyphWidth = 0, glyphHeight = 0;
  if (glyph != glyphs_.end()) ImageList_GetIconSize(glyph->second, &glyphWidth, &glyphHeight);
  const std::string& caption = control.Text();
  SIZE text{};
  if (!caption.empty())
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  const int gap = glyphWidth > 0 && text.cx > 0 ? 4 : 0;
  const int shift = pressed || down ? 1 : 0;
  int x = rc.left + (rc.right - rc.left - glyphWidth - gap - text.cx) / 2 + shift;
  const int middle = (rc.top + rc.bottom) / 2 + shift;
  if (glyphWidth > 0) {
    const int y = middle - glyphHeight / 2;
    if (enabled) {
      ImageList_Draw(glyph->second, 0, dc, x, y, ILD_TRANSPARENT);
    } else {
      HICON icon = ImageList_GetIcon(glyph->second, 0, ILD_NORMAL);
      DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 0, 0,
                 DST_ICON | DSS_DISABLED);
      DestroyIcon(icon);
    }
    x += glyphWidth + gap;
  }
  if (!caption.empty()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ToColorRef(control.EffectiveFont().color) : GetSysColor(COLOR_GRAYTEXT));
    TextOutA(dc, x, middle - text.cy / 2, caption.c_str(), static_cast<int>(caption.size()));
  }
}

void NativeForm::Realize() {
  for (Control* control : form_.Controls()) Create(*control);
  OrderTabStops(*this, form_);
  // Pictures and frames lie beneath the windowed controls that share their parent (each new
  // window joins its siblings at the bottom, so this waits until all exist).
  for (Control* control : form_.Controls())
    if (control->kind() == Kind::Image || control->kind() == Kind::Bevel)
      if (HWND window = WindowOf(*control))
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (Control* control : form_.Controls())
    if (IsPageControl(*control)) {
      PlaceSheets(*control);
      ShowActivePage(*control);
    }
  // Texts fit once the tab sheets have their size.
  for (Control* control : form_.Controls()) FitText(*control);
  keys_ = std::make_unique<DialogKeys>(form_, *this, host_,
                                       [this](const std::function<void()>& action) { Act(action); });
  form_.SetObserver(this);
}

bool NativeForm::TranslateDialogKey(const MSG& msg) { return keys_ && keys_->Translate(msg); }

void NativeForm::FocusFirstControl() {
  if (keys_) keys_->FocusFirst();
}

HWND NativeForm::WindowOf(const Control& control) const {
  auto it = windows_.find(&control);
  return it == windows_.end() ? nullptr : it->second;
}

Control* NativeForm::ControlOf(HWND window) const {
  auto it = controls_.find(window);
  return it == controls_.end() ? nullptr : it->second;
}

HWND NativeForm::ParentWindowOf(const Control& control) const {
  // Tab sheets live beside their page control so their children's messages reach the host.
  const Control* parent = control.Parent();
  while (parent && parent != &form_) {
    if (parent->kind() == Kind::TabControl && control.kind() == Kind::TabSheet) {
      parent = parent->Parent();
      continue;
    }
    if (HWND window = WindowOf(*parent)) return window;
    parent = parent->Parent();
  }
  return host_;
}

HFONT NativeForm::FontFor(const Control& control) {
  const Font& font = control.EffectiveFont();
  const std::string key = FontKey(font);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HFONT handle = CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                             FALSE, static_cast<BYTE>(font.charset), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             font.name.c_str());
  fonts_[key] = handle;
  return handle;
}

HBRUSH NativeForm::BrushFor(std::uint32_t colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
  brushes_[colour] = brush;
  return brush;
}

void NativeForm::Create(Control& control) {
  const char* cls = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const Kind kind = control.kind();
  switch (kind) {
    case Kind::Form:
    case Kind::PopupMenu:
    case Kind::MenuItem:
      return;  // not windows of their own
    case Kind::TabSheet:
    case Kind::Panel:
    case Kind::GroupBox:
      cls = kContainerClass;
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case Kind::TabControl:
      cls = WC_TABCONTROLA;
      style |= WS_TABSTOP | (IsPageControl(control) ? TCS_MULTILINE : 0);
      break;
    case Kind::Label:
      cls = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;  // "&" marks the access key, as on every label
      break;
    case Kind::Bevel:
      cls = "STATIC";
      style |= SS_ETCHEDFRAME;
      break;
    case Kind::Button:
      cls = "BUTTON";
      style |= (static_cast<const Button&>(control).isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
               WS_TABSTOP;
      break;
    case Kind::SpeedButton:
      cls = "BUTTON";
      style |= BS_OWNERDRAW;  // glyph, flat edge, down state: drawn here
      break;
    case Kind::CheckBox:
      cls = "BUTTON";
      style |= BS_CHECKBOX | BS_MULTILINE | WS_TABSTOP;
      break;
    case Kind::RadioButton:
      cls = "BUTTON";
      style |= BS_RADIOBUTTON | BS_MULTILINE;  // the group's tab stop: GroupStyle
      break;
    case Kind::CheckListBox:
      cls = "LISTBOX";
      style |= LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
               WS_VSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ListBox:
      cls = "LISTBOX";
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ComboBox: {
      cls = "COMBOBOX";
      const auto& combo = static_cast<const ComboBox&>(control);
      style |= WS_VSCROLL | WS_TABSTOP | (combo.DropDownList() ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
      if (combo.OwnerDraw()) style |= CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
      break;
    }
    case Kind::Edit:
    case Kind::SpinEdit:
      cls = "EDIT";
      style |= ES_AUTOHSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Memo:
      cls = "EDIT";
      style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::TrackBar: {
      cls = TRACKBAR_CLASSA;
      const Rect& b = control.Bounds();
      const auto& range = static_cast<const RangeControl&>(control);
      style |= (range.ticks ? TBS_AUTOTICKS : TBS_NOTICKS) | WS_TABSTOP |
               (b.height > b.width ? TBS_VERT : TBS_HORZ);
      break;
    }
    case Kind::ListView:
      cls = WC_LISTVIEWA;
      style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Image:
      cls = kImageClass;
      break;
  }
  style |= GroupStyle(control);
  const Rect& b = control.Bounds();
  HWND parent = ParentWindowOf(control);
  const int id = static_cast<int>(1000 + windows_.size());
  HWND window = CreateWindowExA(exStyle, cls, control.Text().c_str(), style, b.left, b.top,
                                b.width, b.height, parent, reinterpret_cast<HMENU>(
                                    static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return;
  windows_[&control] = window;
  controls_[window] = &control;
  ids_[id] = &control;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
  if (kind == Kind::GroupBox) SetPropA(window, kGroupProp, reinterpret_cast<HANDLE>(1));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), FALSE);

  ++syncing_;
  switch (kind) {
    case Kind::Label:
    case Kind::CheckBox:
    case Kind::RadioButton:
      FitText(control);
      if (kind != Kind::Label) Sync(control, Prop::Checked);
      break;
    case Kind::CheckListBox:
      SendMessageA(window, LB_SETITEMHEIGHT, 0, kCheckListItemHeight);
      SetPropA(window, kSubclassProp,
               reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                   window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSubclassProc))));
      FillItems(control);
      break;
    case Kind::ListBox:
      // Every button press reports the item under the pointer (a right click selects it).
      SetPropA(window, kSubclassProp,
               reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                   window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSubclassProc))));
      [[fallthrough]];
    case Kind::ComboBox:
    case Kind::TabControl:
      // Low rows of tabs leave the pages the room their tables give them.
      if (IsPageControl(control)) SendMessageA(window, TCM_SETPADDING, 0, MAKELPARAM(6, 1));
      FillItems(control);
      break;
    case Kind::ListView:
      SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                   LVS_EX_FULLROWSELECT);
      Sync(control, Prop::Columns);
      break;
    case Kind::SpinEdit: {
      HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                  WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                      UDS_NOTHOUSANDS | UDS_SETBUDDYINT,
                                  0, 0, 0, 0, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
      SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(window), 0);
      SetPropA(window, "VlxSpin", spin);
      Sync(control, Prop::Range);
      Sync(control, Prop::Caption);
      break;
    }
    case Kind::TrackBar: {
      const auto& range = static_cast<const RangeControl&>(control);
      Sync(control, Prop::Range);
      if (range.ticks) SendMessageA(window, TBM_SETTICFREQ, static_cast<WPARAM>(range.frequency), 0);
      if (range.pageSize > 0) SendMessageA(window, TBM_SETPAGESIZE, 0, range.pageSize);
      Sync(control, Prop::Position);
      break;
    }
    case Kind::SpeedButton:
      LoadGlyph(control);
      SetPropA(window, kSubclassProp,
               reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                   window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpeedButtonProc))));
      break;
    default:
      break;
  }
  --syncing_;
  EnableWindow(window, control.Enabled());
  if (control.Visible() && kind != Kind::TabSheet) ShowWindow(window, SW_SHOWNA);
}

void NativeForm::PlaceSheets(Control& pages) {
  HWND tab = WindowOf(pages);
  if (!tab) return;
  RECT rc;
  GetClientRect(tab, &rc);
  TabCtrl_AdjustRect(tab, FALSE, &rc);
  MapWindowPoints(tab, GetParent(tab), reinterpret_cast<POINT*>(&rc), 2);
  for (Control* sheet : static_cast<TabControl&>(pages).Sheets())
    if (HWND window = WindowOf(*sheet)) {
      SetWindowPos(window, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOACTIVATE);
    }
}

void NativeForm::ShowActivePage(Control& pages) {
  auto& tabs = static_cast<TabControl&>(pages);
  HWND tab = WindowOf(pages);
  const int index = tabs.ActiveIndex();
  if (tab && TabCtrl_GetCurSel(tab) != index) TabCtrl_SetCurSel(tab, index);
  const Control* active = tabs.ActivePage();
  for (Control* sheet : tabs.Sheets())
    if (HWND window = WindowOf(*sheet)) ShowWindow(window, sheet == active ? SW_SHOW : SW_HIDE);
  PlaceSheets(pages);
}

void NativeForm::FillItems(Control& control) {
  HWND window = WindowOf(control);
  if (!window) return;
  ++syncing_;
  switch (control.kind()) {
    case Kind::ListBox:
    case Kind::CheckListBox: {
      auto& list = static_cast<ListControl&>(control);
      SendMessageA(window, WM_SETREDRAW, FALSE, 0);
      SendMessageA(window, LB_RESETCONTENT, 0, 0);
      for (const ListItem& item : list.Items())
        SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
      SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      SendMessageA(window, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(window, nullptr, TRUE);
      break;
    }
    case Kind::ComboBox: {
      auto& list = static_cast<ComboBox&>(control);
      SendMessageA(window, CB_RESETCONTENT, 0, 0);
      for (const ListItem& item : list.Items())
        SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
      SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      break;
    }
    case Kind::TabControl: {
      auto& tabs = static_cast<TabControl&>(control);
      TabCtrl_DeleteAllItems(window);
      for (int i = 0; i < tabs.TabCount(); ++i) {
        std::string caption = tabs.TabCaption(i);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      }
      TabCtrl_SetCurSel(window, tabs.ActiveIndex());
      break;
    }
    case Kind::ListView: {
      auto& view = static_cast<ListView&>(control);
      SendMessageA(window, WM_SETREDRAW, FALSE, 0);
      ListView_DeleteAllItems(window);
      HIMAGELIST images = nullptr;
      const bool withIcons = std::any_of(view.Items().begin(), view.Items().end(),
                                         [](const ListItem& i) { return !i.icon.Empty(); });
      if (withIcons) {
        images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, view.Count(), 4);
      }
      for (int row = 0; row < view.Count(); ++row) {
        const ListItem& item = view.Item(row);
        std::string text = item.text;
        LVITEMA lv{};
        lv.mask = LVIF_TEXT;
        lv.iItem = row;
        lv.pszText = text.data();
        if (images && item.icon.native) {
          lv.mask |= LVIF_IMAGE;
          lv.iImage = ImageList_AddIcon(images, static_cast<HICON>(item.icon.native.get()));
        }
        SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
        for (std::size_t col = 0; col < item.sub.size(); ++col) {
          std::string sub = item.sub[col];
          LVITEMA cell{};
          cell.iSubItem = static_cast<int>(col + 1);
          cell.pszText = sub.data();
          SendMessageA(window, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
      }
      HIMAGELIST old = ListView_SetImageList(window, images, LVSIL_SMALL);
      (void)old;
      if (auto it = imageLists_.find(&control); it != imageLists_.end()) {
        ImageList_Destroy(it->second);
        imageLists_.erase(it);
      }
      if (images) imageLists_[&control] = images;
      SelectIndex(control);
      SendMessageA(window, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(window, nullptr, TRUE);
      break;
    }
    default:
      break;
  }
  --syncing_;
}

void NativeForm::SelectIndex(Control& control) {
  HWND window = WindowOf(control);
  if (!window) return;
  ++syncing_;
  auto& list = static_cast<ListControl&>(control);
  switch (control.kind()) {
    case Kind::ListBox:
    case Kind::CheckListBox:
      SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      break;
    case Kind::ComboBox:
      SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      break;
    case Kind::TabControl:
      if (IsPageControl(control))
        ShowActivePage(control);
      else
        TabCtrl_SetCurSel(window, list.ItemIndex());
      break;
    case Kind::ListView: {
      ListView_SetItemState(window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
      if (list.ItemIndex() >= 0) {
        ListView_SetItemState(window, list.ItemIndex(), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(window, list.ItemIndex(), FALSE);
      }
      break;
    }
    default:
      break;
  }
  --syncing_;
}

void NativeForm::Changed(Control& control, Prop prop) {
  if (&control == &form_) {
    SyncForm(prop);
    return;
  }
  Sync(control, prop);
}

// The form itself is the host window.
void NativeForm::SyncForm(Prop prop) {
  if (prop == Prop::Visible) ShowWindow(host_, form_.Visible() ? SW_SHOW : SW_HIDE);
}

void NativeForm::Sync(Control& control, Prop prop) {
  HWND window = WindowOf(control);
  if (control.kind() == Kind::PopupMenu || control.kind() == Kind::MenuItem) return;
  if (!window) return;
  ++syncing_;
  switch (prop) {
    case Prop::Caption:
      if (control.kind() == Kind::TabSheet) {
        if (Control* pages = control.Parent()) FillItems(*pages);
      } else if (WindowText(window) != control.Text()) {
        SetWindowTextA(window, control.Text().c_str());
      }
      FitText(control);
      if (control.kind() == Kind::GroupBox || control.kind() == Kind::Panel)
        InvalidateRect(window, nullptr, TRUE);
      break;
    case Prop::Bounds: {
      const Rect& b = control.Bounds();
      MoveWindow(window, b.left, b.top, b.width, b.height, TRUE);
      FitText(control);
      if (IsPageControl(control)) PlaceSheets(control);
      break;
    }
    case Prop::Enabled:
      EnableWindow(window, control.Enabled());
      break;
    case Prop::Visible:
      if (control.kind() != Kind::TabSheet) ShowWindow(window, control.Visible() ? SW_SHOW : SW_HIDE);
      break;
    case Prop::Color:
    case Prop::Font:
    case Prop::Picture:
    case Prop::Canvas:
      if (prop == Prop::Font)
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), TRUE);
      InvalidateRect(window, nullptr, TRUE);
      break;
    case Prop::Hint:
      break;
    case Prop::Focus:
      ::SetFocus(window);
      break;
    case Prop::Checked:
      if (auto* box = dynamic_cast<CheckBox*>(&control)) {
        SendMessageA(window, BM_SETCHECK, box->Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        if (control.kind() == Kind::RadioButton) PlaceRadioTabStop(*this, control);
        // The button draws a new state over the old one and toggles its focus rectangle
        // (an XOR) on the way: the focused box is drawn whole again.
        if (GetFocus() == window) InvalidateRect(window, nullptr, TRUE);
      } else
        InvalidateRect(window, nullptr, TRUE);  // check list box items
      break;
    case Prop::Down:
      InvalidateRect(window, nullptr, FALSE);
      break;
    case Prop::Items:
      FillItems(control);
      break;
    case Prop::ItemIndex:
      SelectIndex(control);
      break;
    case Prop::Range:
    case Prop::Position:
      if (auto* range = dynamic_cast<RangeControl*>(&control)) {
        if (control.kind() == Kind::TrackBar) {
          SendMessageA(window, TBM_SETRANGEMIN, FALSE, range->Min());
          SendMessageA(window, TBM_SETRANGEMAX, TRUE, range->Max());
          SendMessageA(window, TBM_SETPOS, TRUE, range->Position());
        } else if (HWND spin = static_cast<HWND>(GetPropA(window, "VlxSpin"))) {
          SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(range->Min()), range->Max());
          if (WindowText(window) != control.Text()) SetWindowTextA(window, control.Text().c_str());
        }
      }
      break;
    case Prop::Columns:
      if (auto* view = dynamic_cast<ListView*>(&control)) {
        while (ListView_DeleteColumn(window, 0)) {
        }
        int index = 0;
        for (const Column& column : view->Columns()) {
          std::string caption = column.caption;
          LVCOLUMNA lvc{};
          lvc.mask = LVCF_TEXT | LVCF_WIDTH;
          // As wide as its table says, and wide enough for its caption in the header's margins.
          const int captionWidth = static_cast<int>(SendMessageA(
              window, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(caption.c_str())));
          lvc.cx = std::max(column.width, captionWidth + kHeaderMargins);
          lvc.pszText = caption.data();
          SendMessageA(window, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&lvc));
        }
        FillItems(control);
      }
      break;
  }
  --syncing_;
}

Control* NativeForm::PageControlFor(HWND window) const {
  for (HWND at = window; at && at != host_; at = GetParent(at))
    for (Control* control = ControlOf(at); control; control = control->Parent())
      if (IsPageControl(*control)) return control;
  for (Control* control : form_.Controls())
    if (IsPageControl(*control)) return control;
  return nullptr;
}

bool NativeForm::StepPagesByKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return false;
  bool forward = true;
  switch (msg.wParam) {
    case VK_TAB: forward = GetKeyState(VK_SHIFT) >= 0; break;
    case VK_NEXT: forward = true; break;
    case VK_PRIOR: forward = false; break;
    default: return false;
  }
  if (msg.hwnd != host_ && !IsChild(host_, msg.hwnd)) return false;
  Control* pages = PageControlFor(msg.hwnd);
  if (!pages) return false;
  Act([pages, forward] { UserStepTab(*pages, forward); });
  // The focus does not stay on a control of the page just hidden.
  HWND focus = GetFocus();
  if (focus && !IsWindowVisible(focus)) ::SetFocus(WindowOf(*pages));
  return true;
}

void NativeForm::Act(const std::function<void()>& action) {
  if (syncing_ > 0) return;  // native echoes of the model's own changes
  runAction_(action);
}

bool NativeForm::OnCommand(HWND child, int code) {
  Control* control = ControlOf(child);
  if (!control) return false;
  switch (control->kind()) {
    case Kind::Button:
    case Kind::SpeedButton:
    case Kind::CheckBox:
    case Kind::RadioButton:
      if (code == BN_CLICKED) Act([control] { UserClick(*control); });
      return true;
    case Kind::Image:
    case Kind::Label:
      if (code == STN_CLICKED && control->onClick) Act([control] { UserClick(*control); });
      return true;
    case Kind::ListBox:
    case Kind::CheckListBox:
      if (code == LBN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0));
        Act([control, index] { UserSelect(*control, index); });
      } else if (code == LBN_DBLCLK) {
        Act([control] { UserDoubleClick(*control); });
      }
      return true;
    case Kind::ComboBox:
      if (code == CBN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0));
        Act([control, index] { UserSelect(*control, index); });
      } else if (code == CBN_EDITCHANGE) {
        const std::string text = WindowText(child);
        Act([control, text] { UserType(*control, text); });
      }
      return true;
    case Kind::Edit:
    case Kind::Memo:
    case Kind::SpinEdit:
      if (code == EN_CHANGE && syncing_ == 0) {
        const std::string text = WindowText(child);
        if (text != control->Text()) Act([control, text] { UserType(*control, text); });
      }
      return true;
    default:
      return false;
  }
}

bool NativeForm::OnNotify(NMHDR& header, LRESULT& result) {
  Control* control = ControlOf(header.hwndFrom);
  if (!control) return false;
  result = 0;
  if (control->kind() == Kind::TabControl && header.code == TCN_SELCHANGE) {
    const int index = TabCtrl_GetCurSel(header.hwndFrom);
    Act([control, index] { UserSelect(*control, index); });
    return true;
  }
  if (control->kind() == Kind::ListView) {
    if (header.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
          !(change.uOldState & LVIS_SELECTED)) {
        const int row = change.iItem;
        if (static_cast<ListControl*>(control)->ItemIndex() != row)
          Act([control, row] { UserSelect(*control, row); });
      }
      return true;
    }
    if (header.code == NM_DBLCLK) {
      Act([control] { UserDoubleClick(*control); });
      return true;
    }
    if (header.code == NM_RCLICK) {
      POINT pt;
      GetCursorPos(&pt);
      LVHITTESTINFO hit{};
      hit.pt = pt;
      ScreenToClient(header.hwndFrom, &hit.pt);
      const int row = ListView_HitTest(header.hwndFrom, &hit);
      if (row >= 0 && static_cast<ListControl*>(control)->ItemIndex() != row)
        Act([control, row] { UserSelect(*control, row); });
      ShowPopupFor(*control, pt.x, pt.y);
      return true;
    }
  }
  return false;
}

bool NativeForm::OnDrawItem(DRAWITEMSTRUCT& item) {
  Control* control = ControlOf(item.hwndItem);
  if (control && control->kind() == Kind::SpeedButton) {
    DrawSpeedButton(*control, item);
    return true;
  }
  if (!control || item.itemID == static_cast<UINT>(-1)) return control != nullptr;
  auto& list = static_cast<ListControl&>(*control);
  const int index = static_cast<int>(item.itemID);
  if (index >= list.Count()) return true;
  const ListItem& entry = list.Item(index);
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = rc;
  if (control->kind() == Kind::CheckListBox) {
    RECT box = {rc.left + 2, rc.top + (rc.bottom - rc.top - 13) / 2, rc.left + 15, 0};
    box.bottom = box.top + 13;
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (entry.checked ? DFCS_CHECKED : 0) |
                         (control->Enabled() ? 0 : DFCS_INACTIVE));
    text.left += kCheckBoxArea + 4;
  } else if (auto painter = painters_.find(control); painter != painters_.end()) {
    // The page draws its own items on the brush and font set for the item's state.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(dc, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : BrushFor(control->Color()));
    if (!selected) SetTextColor(dc, ToColorRef(control->EffectiveFont().color));
    painter->second(dc, index, entry.text, rc);
    RestoreDC(dc, saved);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    return true;
  } else {
    // Owner-drawn combo box: a colour swatch before the text.
    RECT swatch = {rc.left + 2, rc.top + 2, rc.left + 26, rc.bottom - 2};
    HBRUSH brush = CreateSolidBrush(ToColorRef(static_cast<std::uint32_t>(entry.data)));
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);
    FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    text.left += 30;
  }
  DrawTextA(dc, entry.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
  return true;
}

bool NativeForm::OnScroll(HWND child) {
  Control* control = ControlOf(child);
  if (!control || control->kind() != Kind::TrackBar) return false;
  const int position = static_cast<int>(SendMessageA(child, TBM_GETPOS, 0, 0));
  if (static_cast<RangeControl*>(control)->Position() != position)
    Act([control, position] { UserSet(*control, position); });
  return true;
}

bool NativeForm::OnCtlColor(HDC dc, HWND child, LRESULT& result) {
  Control* control = ControlOf(child);
  if (!control) return false;
  SetTextColor(dc, ToColorRef(control->EffectiveFont().color));
  const Kind kind = control->kind();
  if (kind == Kind::Edit || kind == Kind::Memo || kind == Kind::SpinEdit ||
      kind == Kind::ListBox || kind == Kind::ComboBox) {
    const std::uint32_t colour =
        control->Color() == 0x8000000Fu ? 0x80000005u : control->Color();  // clWindow default
    SetBkColor(dc, ToColorRef(colour));
    result = reinterpret_cast<LRESULT>(BrushFor(colour));
    return true;
  }
  const auto* plain = dynamic_cast<const Plain*>(control);
  if (plain && plain->transparent) {
    PaintBeneath(child, dc);
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
  }
  // Check boxes and radio buttons without a colour of their own take the colour of what they
  // stand on.
  const Control* parent = control->Parent();
  const bool own = kind == Kind::Label || control->Color() != colour::BtnFace || !parent;
  const std::uint32_t colour = own ? control->Color() : parent->Color();
  SetBkColor(dc, ToColorRef(colour));
  result = reinterpret_cast<LRESULT>(BrushFor(colour));
  return true;
}

void NativeForm::ShowPopupFor(Control& control, int x, int y) {
  if (control.PopupMenuName().empty()) return;
  Control* popup = form_.Find(control.PopupMenuName());
  if (!popup) return;
  HMENU menu = CreatePopupMenu();
  std::vector<Control*> items;
  for (Control* child : popup->Children()) {
    if (child->kind() != Kind::MenuItem || !child->Visible()) continue;
    items.push_back(child);
    const UINT id = static_cast<UINT>(items.size());
    if (child->Text() == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const auto* menuItem = static_cast<MenuItem*>(child);
    AppendMenuA(menu, MF_STRING | (child->Enabled() ? 0 : MF_GRAYED) |
                          (menuItem->Checked() ? MF_CHECKED : 0),
                id, child->Text().c_str());
  }
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, host_, nullptr));
  DestroyMenu(menu);
  if (chosen >= 1 && chosen <= items.size()) {
    Control* item = items[chosen - 1];
    Act([item] { UserClick(*item); });
  }
}

void NativeForm::OnListClick(Control& control, HWND window, int x, int y) {
  const LRESULT hit = SendMessageA(window, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  if (HIWORD(hit)) return;  // outside every item
  const int index = LOWORD(hit);
  if (x >= kCheckBoxArea + 2 || !control.Enabled()) return;
  auto& list = static_cast<ListControl&>(control);
  if (index >= list.Count()) return;
  const bool on = !list.ItemChecked(index);
  Act([&control, index, on] { UserCheckItem(control, index, on); });
}

LRESULT CALLBACK NativeForm::ListSubclassProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  const auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, kSubclassProp));
  const auto* control = reinterpret_cast<const Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (control && control->kind() == Kind::ListBox) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
      const LRESULT result = CallWindowProcA(previous, window, message, wParam, lParam);
      SendMessageA(GetAncestor(window, GA_ROOT), kListMouseDownMessage,
                   reinterpret_cast<WPARAM>(window), lParam);
      return result;
    }
  } else if (message == WM_LBUTTONDOWN || (message == WM_KEYDOWN && wParam == VK_SPACE)) {
    // The check list box asks its host window to toggle the item under the mouse.
    HWND root = GetAncestor(window, GA_ROOT);
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (message == WM_KEYDOWN) {
      const int current = static_cast<int>(CallWindowProcA(previous, window, LB_GETCURSEL, 0, 0));
      RECT rc{};
      CallWindowProcA(previous, window, LB_GETITEMRECT, static_cast<WPARAM>(current),
                      reinterpret_cast<LPARAM>(&rc));
      x = rc.left + 4;
      y = rc.top + 2;
    }
    const LRESULT result = CallWindowProcA(previous, window, message, wParam, lParam);
    SendMessageA(root, kListCheckMessage, reinterpret_cast<WPARAM>(window), MAKELPARAM(x, y));
    return result;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(window, kSubclassProp);
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

bool NativeForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case DM_GETDEFID:
      if (!keys_) return false;
      result = keys_->DefaultId();
      return true;
    case WM_SETFOCUS:  // activated again, after a message box or a common dialog
      if (!keys_) return false;
      keys_->RestoreFocus();
      result = 0;
      return true;
    case WM_COMMAND:
      if (lParam) {
        result = 0;
        return OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      }
      return false;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
    case WM_DRAWITEM:
      result = TRUE;
      return OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM: {
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      auto it = ids_.find(static_cast<int>(measure.CtlID));
      if (measure.CtlType != ODT_COMBOBOX || it == ids_.end() ||
          measure.itemID == static_cast<UINT>(-1))
        return false;
      measure.itemHeight = kColourItemHeight;
      result = TRUE;
      return true;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      result = 0;
      return lParam && OnScroll(reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    case WM_CONTEXTMENU: {
      Control* control = ControlOf(reinterpret_cast<HWND>(wParam));
      if (!control || control->PopupMenuName().empty()) return false;
      ShowPopupFor(*control, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      result = 0;
      return true;
    }
    case kImageMouseMove:
    case kImageMouseUp: {
      auto* image = dynamic_cast<Image*>(ControlOf(reinterpret_cast<HWND>(wParam)));
      result = 0;
      if (!image) return true;
      if (message == kImageMouseMove && image->onMouseMove) {
        const auto shift = static_cast<std::uint32_t>(lParam);
        Act([image, shift] { image->onMouseMove(shift); });
      } else if (message == kImageMouseUp && image->onMouseUp) {
        Act([image] { image->onMouseUp(); });
      }
      return true;
    }
    case kListMouseDownMessage: {
      HWND list = reinterpret_cast<HWND>(wParam);
      auto* control = dynamic_cast<ListControl*>(ControlOf(list));
      result = 0;
      if (!control || !control->onMouseDown) return true;
      const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, lParam);
      const int item = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
      Act([control, item] { control->onMouseDown(item); });
      return true;
    }
    case kListCheckMessage: {
      HWND list = reinterpret_cast<HWND>(wParam);
      if (Control* control = ControlOf(list))
        OnListClick(*control, list, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace vlx::ui::win32
