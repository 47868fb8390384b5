#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/framework/uiconst.h"
#include "resources/templates.h"

namespace tw::test {

namespace {

std::string Hex(UINT value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

struct ScriptedHost::Action {
  enum class Kind { Type, Click, Enter, Escape, Close, Then } kind;
  int controlId = 0;
  std::string text;
  std::function<void()> check;
  std::optional<int> templateId;
  std::string what;
};

struct ScriptedHost::BoxAnswer {
  std::string caption;
  std::string textPart;
  int button;
  bool used = false;
};

struct ScriptedHost::BrowseAnswer {
  enum class Kind { Path, Cancel, Virtual } kind;
  std::string path;
};

struct ScriptedHost::Control {
  int id;
  res::ControlClass kind;
  DWORD style;
  std::string text;
  HWND handle;
  std::optional<Geometry> placement;
  HFONT font = nullptr;
};

struct ScriptedHost::Window {
  IDialogEvents* events;
  int templateId;
  HWND handle;
  HWND parent;
  std::string title;
  bool visible;
  bool modal;
  bool alive = true;
  bool ended = false;
  INT_PTR result = 0;
  int focusId = 0;
  std::optional<Geometry> placement;
  std::vector<Control> controls;
};

ScriptedHost::ScriptedHost() = default;

ScriptedHost::~ScriptedHost() { Finish(); }

// ---- the script

ScriptedHost& ScriptedHost::Type(int controlId, std::string text) {
  Action a{Action::Kind::Type, controlId, text, {}, pendingIn_, "type into " + std::to_string(controlId) + ": " + text};
  actions_.push_back(std::move(a));
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::Click(int controlId) {
  actions_.push_back({Action::Kind::Click, controlId, {}, {}, pendingIn_,
                      "click " + std::to_string(controlId)});
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::PressEnter() {
  actions_.push_back({Action::Kind::Enter, 0, {}, {}, pendingIn_, "press Enter"});
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::PressEscape() {
  actions_.push_back({Action::Kind::Escape, 0, {}, {}, pendingIn_, "press Escape"});
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::CloseBox() {
  actions_.push_back({Action::Kind::Close, 0, {}, {}, pendingIn_, "close box"});
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::Then(std::function<void()> check) {
  actions_.push_back({Action::Kind::Then, 0, {}, std::move(check), pendingIn_, "check"});
  pendingIn_.reset();
  return *this;
}

ScriptedHost& ScriptedHost::In(int templateId) {
  pendingIn_ = templateId;
  return *this;
}

ScriptedHost& ScriptedHost::Answer(std::string caption, int button) {
  boxAnswers_.push_back({std::move(caption), {}, button});
  return *this;
}

ScriptedHost& ScriptedHost::Answer(std::string caption, std::string textPart, int button) {
  boxAnswers_.push_back({std::move(caption), std::move(textPart), button});
  return *this;
}

ScriptedHost& ScriptedHost::BrowseTo(std::string path) {
  browseAnswers_.push_back({BrowseAnswer::Kind::Path, std::move(path)});
  return *this;
}

ScriptedHost& ScriptedHost::BrowseCancel() {
  browseAnswers_.push_back({BrowseAnswer::Kind::Cancel, {}});
  return *this;
}

ScriptedHost& ScriptedHost::BrowseToVirtual(std::string name) {
  browseAnswers_.push_back({BrowseAnswer::Kind::Virtual, std::move(name)});
  return *this;
}

ScriptedHost& ScriptedHost::ScreenSize(int width, int height) {
  screenWidth_ = width;
  screenHeight_ = height;
  return *this;
}

ScriptedHost& ScriptedHost::ProgramFile(std::string path) {
  programPath_ = std::move(path);
  return *this;
}

void ScriptedHost::Finish() {
  if (finished_) return;
  finished_ = true;
  for (std::size_t i = nextAction_; i < actions_.size(); ++i) {
    ADD_FAILURE() << "scripted user: action never played: " << actions_[i].what;
  }
  for (const BoxAnswer& answer : boxAnswers_) {
    if (!answer.used) {
      ADD_FAILURE() << "scripted user: no box \"" << answer.caption << "\""
                    << (answer.textPart.empty() ? "" : " with \"" + answer.textPart + "\"")
                    << " came for the prepared answer";
    }
  }
  for (std::size_t i = nextBrowse_; i < browseAnswers_.size(); ++i) {
    ADD_FAILURE() << "scripted user: folder browser answer never used: "
                  << browseAnswers_[i].path;
  }
}

// ---- what happened

std::vector<std::string> ScriptedHost::Boxes() const {
  std::vector<std::string> boxes;
  for (const std::string& line : transcript_) {
    if (line.rfind("box ", 0) == 0) boxes.push_back(line);
  }
  return boxes;
}

int ScriptedHost::FocusedId() const {
  if (Window* top = TopModal()) return top->focusId;
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->alive) return (*it)->focusId;
  }
  return 0;
}

std::string ScriptedHost::ControlText(int templateId, int controlId) const {
  Window* window = Newest(templateId);
  if (!window) return {};
  Control* control = FindControl(*window, controlId);
  return control ? control->text : std::string();
}

std::optional<ScriptedHost::Geometry> ScriptedHost::Placement(int templateId,
                                                              int controlId) const {
  Window* window = Newest(templateId);
  if (!window) return std::nullopt;
  if (controlId == 0) return window->placement;
  Control* control = FindControl(*window, controlId);
  return control ? control->placement : std::nullopt;
}

HFONT ScriptedHost::ControlFont(int templateId, int controlId) const {
  Window* window = Newest(templateId);
  Control* control = window ? FindControl(*window, controlId) : nullptr;
  return control ? control->font : nullptr;
}

int ScriptedHost::LiveGdiObjects() const {
  return static_cast<int>(std::count_if(gdiObjects_.begin(), gdiObjects_.end(),
                                        [](const auto& entry) { return entry.second; }));
}

ScriptedHost::Colours ScriptedHost::PaintRequest(int templateId, int controlId, UINT kind) {
  Window* window = Newest(templateId);
  if (!window || !window->alive) {
    ADD_FAILURE() << "scripted user: no open dialog " << templateId << " to paint";
    return {};
  }
  HWND target = window->handle;
  if (controlId != 0) {
    Control* control = FindControl(*window, controlId);
    if (!control) {
      ADD_FAILURE() << "scripted user: dialog " << templateId << " has no control " << controlId;
      return {};
    }
    target = control->handle;
  }
  HDC dc = reinterpret_cast<HDC>(NewHandle());
  dcState_[dc] = {};
  HBRUSH brush = window->events->HandleCtlColor(dc, target, kind);
  Colours colours = dcState_[dc];
  colours.brush = brush;
  dcState_.erase(dc);
  return colours;
}

// ---- windows

HWND ScriptedHost::NewHandle() {
  nextHandle_ += 0x10;
  return reinterpret_cast<HWND>(nextHandle_);
}

ScriptedHost::Window* ScriptedHost::Find(HWND handle) const {
  if (!handle) return nullptr;
  for (const auto& window : windows_) {
    if (window->handle == handle && window->alive) return window.get();
  }
  return nullptr;
}

ScriptedHost::Window* ScriptedHost::TopModal() const {
  return modalStack_.empty() ? nullptr : modalStack_.back();
}

ScriptedHost::Window* ScriptedHost::Newest(int templateId) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->templateId == templateId) return it->get();
  }
  return nullptr;
}

ScriptedHost::Control* ScriptedHost::FindControl(Window& window, int id) const {
  for (Control& control : window.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

ScriptedHost::Window* ScriptedHost::Open(IDialogEvents& dialog, HWND parent, bool modal) {
  const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.TemplateId());
  if (!tmpl) return nullptr;
  auto window = std::make_unique<Window>();
  window->events = &dialog;
  window->templateId = tmpl->id;
  window->handle = NewHandle();
  window->parent = parent;
  window->title = std::string(tmpl->caption);
  window->visible = (tmpl->style & res::kStyleVisible) != 0;
  window->modal = modal;
  for (const res::ControlTemplate& c : tmpl->controls) {
    window->controls.push_back({c.id, c.kind, c.style, std::string(c.text), NewHandle(), {}, nullptr});
  }
  Window* raw = window.get();
  windows_.push_back(std::move(window));
  Record("open " + std::to_string(raw->templateId));
  if (modal) modalStack_.push_back(raw);

  dialog.Attach(raw->handle);
  const BOOL focusDefault = dialog.HandleInitDialog();
  if (raw->alive && !raw->ended && focusDefault) {
    for (const Control& control : raw->controls) {
      if (control.style & res::kStyleTabStop) {
        raw->focusId = control.id;
        break;
      }
    }
  }
  if (modal && raw->alive && !raw->ended) raw->visible = true;
  return raw;
}

void ScriptedHost::Close(Window& window) {
  if (!window.alive) return;
  window.events->HandleDestroy();
  window.alive = false;
  window.events->Attach(nullptr);
  std::erase(modalStack_, &window);
}

INT_PTR ScriptedHost::RunModal(IDialogEvents& dialog, HWND parent) {
  Window* window = Open(dialog, parent, true);
  if (!window) return -1;
  while (window->alive && !window->ended) {
    if (nextAction_ >= actions_.size()) {
      ADD_FAILURE() << "scripted user: dialog " << window->templateId
                    << " waits for input, but the script has no more actions";
      EndDialog(window->handle, -1);
      break;
    }
    Action& action = actions_[nextAction_++];
    Play(*window, action);
  }
  const INT_PTR result = window->result;
  Close(*window);
  return result;
}

void ScriptedHost::Play(Window& window, Action& action) {
  if (action.templateId && *action.templateId != window.templateId) {
    ADD_FAILURE() << "scripted user: \"" << action.what << "\" was meant for dialog "
                  << *action.templateId << " but dialog " << window.templateId << " waits";
    return;
  }
  auto control = [&](int id) -> Control* {
    Control* found = FindControl(window, id);
    if (!found) {
      ADD_FAILURE() << "scripted user: dialog " << window.templateId << " has no control " << id
                    << " for \"" << action.what << "\"";
    }
    return found;
  };
  switch (action.kind) {
    case Action::Kind::Type:
      if (Control* edit = control(action.controlId)) {
        window.focusId = edit->id;
        SetItemText(window.handle, edit->id, action.text);
      }
      break;
    case Action::Kind::Click:
      if (Control* button = control(action.controlId)) {
        if (button->kind != res::ControlClass::Button) {
          ADD_FAILURE() << "scripted user: control " << button->id << " of dialog "
                        << window.templateId << " is not a button";
          break;
        }
        window.focusId = button->id;
        window.events->HandleCommand(button->id, BN_CLICKED);
      }
      break;
    case Action::Kind::Enter: {
      int target = IDOK;
      Control* focused = FindControl(window, window.focusId);
      if (focused && focused->kind == res::ControlClass::Button) {
        target = focused->id;
      } else {
        for (const Control& c : window.controls) {
          if (c.kind == res::ControlClass::Button &&
              (c.style & res::kButtonTypeMask) == res::kButtonDefault) {
            target = c.id;
            break;
          }
        }
      }
      window.events->HandleCommand(target, BN_CLICKED);
      break;
    }
    case Action::Kind::Escape:
    case Action::Kind::Close:
      window.events->HandleCommand(IDCANCEL, 0);
      break;
    case Action::Kind::Then:
      action.check();
      break;
  }
}

HWND ScriptedHost::CreateModeless(IDialogEvents& dialog, HWND parent) {
  Window* window = Open(dialog, parent, false);
  return window && window->alive ? window->handle : nullptr;
}

BOOL ScriptedHost::DestroyWindow(HWND handle) {
  Window* window = Find(handle);
  if (!window) return FALSE;
  Record("destroy " + std::to_string(window->templateId));
  window->ended = true;
  Close(*window);
  return TRUE;
}

BOOL ScriptedHost::EndDialog(HWND handle, INT_PTR result) {
  Window* window = Find(handle);
  if (!window || window->ended) return FALSE;
  window->ended = true;
  window->result = result;
  Record("end " + std::to_string(window->templateId) + ": " + std::to_string(result));
  return TRUE;
}

std::string ScriptedHost::ProgramPath() { return programPath_; }

BOOL ScriptedHost::SetWindowTitle(HWND handle, std::string_view text) {
  Window* window = Find(handle);
  if (!window) return FALSE;
  if (window->title != text) {
    window->title = text;
    Record("caption: " + window->title);
  }
  return TRUE;
}

std::string ScriptedHost::GetWindowTitle(HWND handle) {
  Window* window = Find(handle);
  return window ? window->title : std::string();
}

BOOL ScriptedHost::SetItemText(HWND handle, int id, std::string_view text) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  if (!control) return FALSE;
  if (control->text != text) {
    control->text = text;
    if (id == 1000) Record("status: " + control->text);
  }
  // A single-line edit box tells its dialog at once, as the platform's does.
  if (control->kind == res::ControlClass::Edit && !(control->style & ES_MULTILINE)) {
    window->events->HandleCommand(id, EN_CHANGE);
  }
  return TRUE;
}

std::string ScriptedHost::GetItemText(HWND handle, int id) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  return control ? control->text : std::string();
}

HWND ScriptedHost::GetItem(HWND handle, int id) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  return control ? control->handle : nullptr;
}

int ScriptedHost::GetItemId(HWND handle) {
  for (const auto& window : windows_) {
    for (const Control& control : window->controls) {
      if (control.handle == handle) return control.id;
    }
  }
  return 0;
}

BOOL ScriptedHost::ShowWindow(HWND handle, int showCmd) {
  Window* window = Find(handle);
  if (!window) return FALSE;
  const bool was = window->visible;
  window->visible = showCmd != SW_HIDE;
  if (was != window->visible) {
    Record((window->visible ? "show " : "hide ") + std::to_string(window->templateId));
  }
  return was ? TRUE : FALSE;
}

BOOL ScriptedHost::MoveWindow(HWND handle, int x, int y, int width, int height, BOOL) {
  if (Window* window = Find(handle)) {
    window->placement = Geometry{x, y, width, height};
    return TRUE;
  }
  for (const auto& window : windows_) {
    for (Control& control : window->controls) {
      if (control.handle == handle && window->alive) {
        control.placement = Geometry{x, y, width, height};
        return TRUE;
      }
    }
  }
  return FALSE;
}

LRESULT ScriptedHost::SendMsg(HWND handle, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_SETFONT) {
    for (const auto& window : windows_) {
      for (Control& control : window->controls) {
        if (control.handle == handle) control.font = reinterpret_cast<HFONT>(wParam);
      }
    }
  }
  return 0;
}

HWND ScriptedHost::GetFocusWindow() {
  Window* window = TopModal();
  if (!window) return nullptr;
  Control* control = FindControl(*window, window->focusId);
  return control ? control->handle : nullptr;
}

int ScriptedHost::ShowMessageBox(HWND, std::string_view text, std::string_view caption,
                                 UINT type) {
  Record("box " + std::string(caption) + " [" + Hex(type) + "]: " + std::string(text));
  for (BoxAnswer& answer : boxAnswers_) {
    if (answer.used || answer.caption != caption) continue;
    if (!answer.textPart.empty() && text.find(answer.textPart) == std::string_view::npos) continue;
    answer.used = true;
    return answer.button;
  }
  ADD_FAILURE() << "scripted user: unexpected box \"" << caption << "\" [" << Hex(type)
                << "]: " << text;
  switch (type & 0xF) {
    case MB_OKCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    default:
      return IDOK;
  }
}

ItemIdListPtr ScriptedHost::BrowseForFolder(HWND owner, std::string_view title, UINT flags,
                                            std::span<char> displayName) {
  Record("browse [" + Hex(flags) + "]: " + std::string(title));
  lastBrowseOwner_ = owner;
  if (nextBrowse_ >= browseAnswers_.size()) {
    ADD_FAILURE() << "scripted user: unexpected folder browser \"" << title << "\"";
    return nullptr;
  }
  const BrowseAnswer& answer = browseAnswers_[nextBrowse_++];
  if (answer.kind == BrowseAnswer::Kind::Cancel) return nullptr;
  std::string name = answer.path;
  const auto slash = name.find_last_of('\\');
  if (slash != std::string::npos && slash + 1 < name.size()) name = name.substr(slash + 1);
  if (!displayName.empty()) {
    const std::size_t n = std::min(name.size(), displayName.size() - 1);
    name.copy(displayName.data(), n);
    displayName[n] = '\0';
  }
  return std::make_unique<PathItemIdList>(answer.path, answer.kind == BrowseAnswer::Kind::Path);
}

int ScriptedHost::GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return screenWidth_;
  if (index == SM_CYSCREEN) return screenHeight_;
  return 0;
}

BOOL ScriptedHost::MessageBeep(UINT type) {
  beeps_.push_back(Hex(type));
  Record("beep [" + Hex(type) + "]");
  return TRUE;
}

HICON ScriptedHost::LoadIconA(int resourceId) {
  return resourceId == 128 ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x1280)) : nullptr;
}

HBRUSH ScriptedHost::CreateSolidBrush(COLORREF) {
  HANDLE handle = NewHandle();
  gdiObjects_[handle] = true;
  return static_cast<HBRUSH>(handle);
}

HFONT ScriptedHost::CreateFontA(int height, int width, int, int, int weight, DWORD italic,
                                DWORD underline, DWORD, DWORD charSet, DWORD outPrecision, DWORD,
                                DWORD quality, DWORD pitchAndFamily, std::string_view face) {
  fonts_.push_back({height, width, weight, italic, underline, charSet, outPrecision, quality,
                    pitchAndFamily, std::string(face)});
  HANDLE handle = NewHandle();
  gdiObjects_[handle] = true;
  return static_cast<HFONT>(handle);
}

BOOL ScriptedHost::DeleteObject(HANDLE object) {
  auto it = gdiObjects_.find(object);
  if (it == gdiObjects_.end() || !it->second) return FALSE;
  it->second = false;
  return TRUE;
}

COLORREF ScriptedHost::SetTextColor(HDC dc, COLORREF color) {
  Colours& state = dcState_[dc];
  const COLORREF previous = state.text.value_or(0);
  state.text = color;
  return previous;
}

COLORREF ScriptedHost::SetBkColor(HDC dc, COLORREF color) {
  Colours& state = dcState_[dc];
  const COLORREF previous = state.background.value_or(0xFFFFFF);
  state.background = color;
  return previous;
}

}  // namespace tw::test
