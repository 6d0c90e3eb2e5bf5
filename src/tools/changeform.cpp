#include "tools/changeform.h"

#include "app/context.h"
#include "tools/uninstall.h"
#include "ui/form.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr char kEnter = 13;
constexpr char kEscape = 27;

const ui::ControlSpec kChangeForm[] = {
    {.kind = Kind::GroupBox, .name = "gbUninstallInfo", .bounds = {8, 4, 370, 89},
     .caption = "Деинсталляция:"},
    {.kind = Kind::Label, .name = "lbName", .parent = "gbUninstallInfo", .bounds = {12, 24, 60, 13},
     .caption = "Описание:"},
    {.kind = Kind::Edit, .name = "txtDn", .parent = "gbUninstallInfo", .bounds = {76, 20, 282, 21},
     .tabOrder = 0},
    {.kind = Kind::Label, .name = "lbCommand", .parent = "gbUninstallInfo",
     .bounds = {12, 56, 60, 13}, .caption = "Команда:"},
    {.kind = Kind::Edit, .name = "txtUnstr", .parent = "gbUninstallInfo",
     .bounds = {76, 52, 282, 21}, .tabOrder = 1},
    {.kind = Kind::Button, .name = "btnChange", .bounds = {222, 102, 75, 25}, .caption = "OK",
     .enabled = false, .tabOrder = 1},
    {.kind = Kind::Button, .name = "btnClose", .bounds = {303, 102, 75, 25}, .caption = "Отмена",
     .tabOrder = 2},
};

ui::Control& Get(Context& ctx, const char* name) { return ctx.frmChange.Get(name); }

void UpdateOk(Context& ctx) {
  Get(ctx, "btnChange").SetEnabled(!Get(ctx, "txtDn").Text().empty() &&
                                   !Get(ctx, "txtUnstr").Text().empty());
}

void EnterActsAsOk(Context& ctx, char key) {
  if (key == kEnter && Get(ctx, "btnChange").Enabled()) changeform::btnChangeClick(ctx);
}

}  // namespace

std::span<const ui::ControlSpec> ChangeFormTable() { return kChangeForm; }

void BindChangeForm(Context& ctx) {
  ui::Form& form = ctx.frmChange;
  form.SetText("Volnerix");
  form.SetClientSize(386, 136);
  form.SetVisible(false);  // created once, shown and hidden by the page
  Get(ctx, "txtDn").onChange = [&ctx] { changeform::txtDnChange(ctx); };
  Get(ctx, "txtUnstr").onChange = [&ctx] { changeform::txtUnstrChange(ctx); };
  Get(ctx, "txtDn").onKeyPress = [&ctx](char& key) {
    changeform::FormKeyDown(ctx, key);
    changeform::txtDnKeyPress(ctx, key);
  };
  Get(ctx, "txtUnstr").onKeyPress = [&ctx](char& key) {
    changeform::FormKeyDown(ctx, key);
    changeform::txtUnstrKeyPress(ctx, key);
  };
  Get(ctx, "btnChange").onClick = [&ctx] { changeform::btnChangeClick(ctx); };
  Get(ctx, "btnClose").onClick = [&ctx] { changeform::btnCloseClick(ctx); };
  for (const char* name : {"btnChange", "btnClose", "gbUninstallInfo"})
    Get(ctx, name).onKeyPress = [&ctx](char& key) { changeform::FormKeyDown(ctx, key); };
  form.onKeyPress = [&ctx](char& key) { changeform::FormKeyDown(ctx, key); };
}

void ShowChangeForm(Context& ctx) {
  ui::Form& form = ctx.frmChange;
  const ui::Rect& main = ctx.frmMain.Bounds();
  form.SetBounds({main.left + 40, main.top + 230, form.Bounds().width, form.Bounds().height});
  form.SetVisible(true);
}

void HideChangeForm(Context& ctx) { ctx.frmChange.SetVisible(false); }

namespace changeform {

void txtDnChange(Context& ctx) { UpdateOk(ctx); }
void txtUnstrChange(Context& ctx) { UpdateOk(ctx); }
void txtDnKeyPress(Context& ctx, char key) { EnterActsAsOk(ctx, key); }
void txtUnstrKeyPress(Context& ctx, char key) { EnterActsAsOk(ctx, key); }

void btnChangeClick(Context& ctx) {
  if (ctx.uninstall.editMode == "Change") SaveChangedEntry(ctx);
  if (ctx.uninstall.editMode == "New") SaveNewEntry(ctx);
}

void btnCloseClick(Context& ctx) { HideChangeForm(ctx); }

void FormKeyDown(Context& ctx, char key) {
  if (key == kEscape) HideChangeForm(ctx);
}

}  // namespace changeform
}  // namespace vlx
