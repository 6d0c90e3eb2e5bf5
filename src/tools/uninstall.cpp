#include "tools/uninstall.h"

#include "app/context.h"
#include "platform/dialogs.h"
#include "store/store_routine.h"
#include "tools/changeform.h"
#include "ui/form.h"

namespace vlx {

namespace uninstall {

std::string NewEntryKeyName(const LocalTime& t) {
  using std::to_string;
  return "VOLNRX-" + to_string(t.month) + "/" + to_string(t.day) + "/" + to_string(t.year) + "(" +
         to_string(t.hour) + ":" + to_string(t.minute) + ":" + to_string(t.second) + ")";
}

std::string EntryKeyPath(const std::string& subkey) {
  return std::string(kListKey) + "\\" + subkey;
}

}  // namespace uninstall

namespace {

using ui::Kind;
using namespace uninstall;

const ui::ControlSpec kUninstallPage[] = {
    {.kind = Kind::Image, .name = "ImgUninstall", .parent = "TabSheet1", .bounds = {8, 8, 32, 32}},
    {.kind = Kind::Label,
     .name = "lbUninstallDescription",
     .parent = "TabSheet1",
     .bounds = {48, 8, 281, 52},
     .caption = "Здесь Вы можете удалить записи, оставленные\r\n"
                "другими программами после некорректной \r\n"
                "деинсталляции, изменить их или запустить \r\n"
                "программу удаления выбранного приложения."},
    {.kind = Kind::Bevel, .name = "bUninstallLine", .parent = "TabSheet1", .bounds = {8, 64, 321, 2}},
    {.kind = Kind::Label,
     .name = "lbInstallProgramms",
     .parent = "TabSheet1",
     .bounds = {8, 72, 200, 13},
     .caption = "Установленные программы:"},
    {.kind = Kind::ListBox,
     .name = "lstProgramms",
     .parent = "TabSheet1",
     .bounds = {8, 88, 321, 231},
     .sorted = true,
     .popupMenu = "pmUninstall"},

    {.kind = Kind::MenuItem, .name = "nDelete", .parent = "pmUninstall", .caption = "Удалить запись..."},
    {.kind = Kind::MenuItem, .name = "nChange", .parent = "pmUninstall", .caption = "Изменить запись..."},
    {.kind = Kind::MenuItem, .name = "nNew", .parent = "pmUninstall", .caption = "Новая запись..."},
    {.kind = Kind::MenuItem, .name = "nLine1", .parent = "pmUninstall", .caption = "-"},
    {.kind = Kind::MenuItem, .name = "nUninstall", .parent = "pmUninstall", .caption = "Деинсталляция..."},
    {.kind = Kind::MenuItem, .name = "nLine2", .parent = "pmUninstall", .caption = "-"},
    {.kind = Kind::MenuItem, .name = "nRefrash", .parent = "pmUninstall", .caption = "Обновить..."},
};

constexpr char kEnter = 13;
constexpr const char* kCannotDelete = "Невозможно удалить запись !";

ui::ListControl& ProgramList(Context& ctx) { return ctx.Get<ui::ListControl>("lstProgramms"); }
bool HasSelection(Context& ctx) { return ProgramList(ctx).ItemIndex() != -1; }

int Ask(Context& ctx, const std::string& text) {
  return ctx.platform.dialogs->ShowMessage(
      "Volnerix", text, mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::TaskModal);
}

void Notify(Context& ctx, const std::string& text) {
  ctx.platform.dialogs->ShowMessage("Volnerix", text,
                                    mb::Ok | mb::IconInformation | mb::TaskModal);
}

// The scan shared by delete, change and uninstall: every stored subkey that opens and whose
// description equals the selected item's text, byte for byte, in stored order. `onMatch`
// returns false to end the scan. Registry errors end it silently.
template <class OnMatch>
void ScanSelected(Context& ctx, OnMatch&& onMatch) {
  const std::string selected = ProgramList(ctx).SelectedText();
  const std::vector<std::string> names = ctx.uninstall.keyNames;
  RunRegistryRule(*ctx.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    for (const std::string& name : names) {
      const std::string path = EntryKeyPath(name);
      if (!store.OpenPath(path, false)) continue;
      const std::string description = store.ReadText(kDisplayName);
      if (description != selected) continue;
      if (!onMatch(store, path, description)) return;
    }
  });
}

// Writes the dialog's two texts into the entry (creating it), then hides the dialog and lists
// the entries again, whatever the registry did.
void SaveEntry(Context& ctx, const std::string& path) {
  const std::string description = ctx.frmChange.Get("txtDn").Text();
  const std::string command = ctx.frmChange.Get("txtUnstr").Text();
  RunRegistryRule(*ctx.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (!store.OpenPath(path, true)) return;
    store.WriteText(kDisplayName, description);
    store.WriteText(kUninstallString, command);
  });
  HideChangeForm(ctx);
  LoadUninstallList(ctx);
}

}  // namespace

std::span<const ui::ControlSpec> UninstallPageTable() { return kUninstallPage; }

void BindUninstallPage(Context& ctx) {
  ctx.Get("nDelete").onClick = [&ctx] { nDeleteClick(ctx); };
  ctx.Get("nChange").onClick = [&ctx] { nChangeClick(ctx); };
  ctx.Get("nNew").onClick = [&ctx] { nNewClick(ctx); };
  ctx.Get("nUninstall").onClick = [&ctx] { nUninstallClick(ctx); };
  ctx.Get("nRefrash").onClick = [&ctx] { nRefrashClick(ctx); };
  ctx.Get("lstProgramms").onDblClick = [&ctx] { lstProgrammsDblClick(ctx); };
  ctx.Get("lstProgramms").onKeyPress = [&ctx](char& key) { lstProgrammsKeyPress(ctx, key); };
  ProgramList(ctx).onMouseDown = [&ctx](int item) { lstProgrammsMouseDown(ctx, item); };
}

void LoadUninstallList(Context& ctx) {
  auto& list = ProgramList(ctx);
  list.Clear();
  auto& names = ctx.uninstall.keyNames;
  names.clear();
  RunRegistryRule(*ctx.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (!store.OpenPath(kListKey, false)) return;
    store.ListSubkeys(names);
    for (const std::string& name : names) {
      if (!store.OpenPath(EntryKeyPath(name), false)) continue;
      const std::string description = store.ReadText(kDisplayName);
      if (!description.empty()) list.Add(description);
      store.ClosePath();
    }
  });
}

void DeleteUninstallEntry(Context& ctx) {
  bool declined = false;
  ScanSelected(ctx, [&](RegStore& store, const std::string& path, const std::string& description) {
    const std::string question = "Вы уверены, что хотите удалить \"" + description +
                                 "\" ?\r\rЭто удалит запись из реестра, но не саму программу !";
    if (Ask(ctx, question) != idanswer::Yes) {
      declined = true;
      return false;
    }
    store.ClosePath();
    if (!store.RemoveKeyTree(path)) Notify(ctx, kCannotDelete);
    return true;
  });
  if (!declined) LoadUninstallList(ctx);
}

void RunUninstaller(Context& ctx) {
  std::string command;
  std::string triedPath;  // the last match, whose command is tried
  ScanSelected(ctx, [&](RegStore& store, const std::string& path, const std::string&) {
    command = store.ReadText(kUninstallString);
    triedPath = path;
    return true;
  });
  if (ctx.platform.processes->RunAndWait(command)) {
    LoadUninstallList(ctx);
    return;
  }
  if (Ask(ctx, "Программа деинсталляции не найдена !\r\rХотите удалить запись ?") !=
      idanswer::Yes)
    return;
  // With no match there is no entry to delete: that is reported like a failed deletion.
  bool removed = false;
  if (!triedPath.empty()) {
    RunRegistryRule(*ctx.platform.registry, regroot::LocalMachine,
                    [&](RegStore& store) { removed = store.RemoveKeyTree(triedPath); });
  }
  if (!removed) Notify(ctx, kCannotDelete);
  LoadUninstallList(ctx);
}

void BeginChangeEntry(Context& ctx) {
  ctx.uninstall.editMode = "Change";
  ScanSelected(ctx, [&](RegStore& store, const std::string& path, const std::string& description) {
    const std::string command = store.ReadText(kUninstallString);
    ctx.uninstall.editedKeyPath = path;
    ctx.frmChange.Get("txtDn").SetText(description);
    ctx.frmChange.Get("txtUnstr").SetText(command);
    ShowChangeForm(ctx);
    return true;
  });
}

void SaveChangedEntry(Context& ctx) { SaveEntry(ctx, ctx.uninstall.editedKeyPath); }

void BeginNewEntry(Context& ctx) {
  ctx.uninstall.editMode = "New";
  ctx.frmChange.Get("txtDn").SetText("");
  ctx.frmChange.Get("txtUnstr").SetText("");
  ShowChangeForm(ctx);
}

void SaveNewEntry(Context& ctx) {
  SaveEntry(ctx, EntryKeyPath(NewEntryKeyName(ctx.platform.clock->Now())));
}

void nDeleteClick(Context& ctx) {
  if (HasSelection(ctx)) DeleteUninstallEntry(ctx);
}
void nChangeClick(Context& ctx) {
  if (HasSelection(ctx)) BeginChangeEntry(ctx);
}
void nNewClick(Context& ctx) {
  if (HasSelection(ctx)) BeginNewEntry(ctx);
}
void nUninstallClick(Context& ctx) {
  if (HasSelection(ctx)) RunUninstaller(ctx);
}
void nRefrashClick(Context& ctx) { LoadUninstallList(ctx); }
void lstProgrammsDblClick(Context& ctx) {
  if (HasSelection(ctx)) BeginChangeEntry(ctx);
}
void lstProgrammsKeyPress(Context& ctx, char key) {
  if (key == kEnter && HasSelection(ctx)) BeginChangeEntry(ctx);
}

void lstProgrammsMouseDown(Context& ctx, int item) { ProgramList(ctx).SetItemIndex(item); }

}  // namespace vlx
