#include "tests/wine/case_kit.h"

#include <cstdio>
#include <iostream>

#include "tests/wine/window_probe.h"

namespace vantrel::wine {
namespace {

std::string currentFolder() {
  char path[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  std::string folder(path, length < MAX_PATH ? length : 0);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool screenshotsWanted = false;

}  // namespace

bool Check::that(bool ok, const std::string& what) {
  if (!ok) {
    ++failures_;
    std::cout << "  FAILED: " << what << std::endl;
  }
  return ok;
}

bool Check::sameBytes(const Bytes& actual, const Bytes& expected, const std::string& what) {
  if (actual.size() != expected.size()) {
    return equal(actual.size(), expected.size(), what + ", size");
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) {
      return that(false, what + ": first difference at offset " + std::to_string(i) + " (expected " +
                             std::to_string(expected[i]) + ", got " + std::to_string(actual[i]) + ")");
    }
  }
  return true;
}

CaseSetup setUpCase(const std::string& exePath, Check& check, const std::string& programFolder) {
  CaseSetup setup;
  setup.folder = currentFolder();
  setup.programDir = setup.folder + programFolder + "\\";
  setup.programPath = setup.programDir + "Vantrel.exe";
  setup.moviesDir = setup.folder + "movies\\";
  CreateDirectoryA(setup.programDir.c_str(), nullptr);
  CreateDirectoryA(setup.moviesDir.c_str(), nullptr);
  check.that(CopyFileA(exePath.c_str(), setup.programPath.c_str(), FALSE) != 0,
             "copy " + exePath + " to " + setup.programPath);
  return setup;
}

CaseSetup setUpInstalledCase(const std::string& programDir) {
  CaseSetup setup;
  setup.folder = currentFolder();
  setup.programDir = programDir;
  setup.programPath = programDir + "Vantrel.exe";
  setup.moviesDir = setup.folder + "movies\\";
  CreateDirectoryA(setup.moviesDir.c_str(), nullptr);
  return setup;
}

void writeRules(const CaseSetup& setup, const std::string& text) {
  moviekit::writeFile(setup.programDir + "fix.dat", Bytes(text.begin(), text.end()));
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void enableScreenshots() { screenshotsWanted = true; }

void pumpMessagesFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void screenshot(const std::string& name, Check& check) {
  if (!screenshotsWanted) return;
  // Give the windows a moment to paint before the runner looks; the
  // driver's own windows paint while it waits.
  pumpMessagesFor(400);
  const std::string request = currentFolder() + "shot-" + name + ".request";
  moviekit::writeFile(request, Bytes(name.begin(), name.end()));
  const DWORD start = GetTickCount();
  while (fileExists(request)) {
    if (GetTickCount() - start > 30000) {
      check.that(false, "the runner took no screenshot " + name);
      DeleteFileA(request.c_str());
      return;
    }
    pumpMessagesFor(50);
  }
}

VantrelRun::VantrelRun(const CaseSetup& setup, const std::string& tail, Check& check) {
  start(setup.programPath.c_str(), "\"" + setup.programPath + "\" " + tail, setup.folder, check);
}

VantrelRun::VantrelRun(const std::string& commandLine, const std::string& folder, Check& check) {
  start(nullptr, commandLine, folder, check);
}

void VantrelRun::start(const char* application, std::string commandLine, const std::string& folder,
                       Check& check) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!check.that(CreateProcessA(application, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &startup, &info) != 0,
                  "start " + commandLine)) {
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
}

VantrelRun::~VantrelRun() {
  if (process_ == nullptr) return;
  if (running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

bool VantrelRun::running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND VantrelRun::waitForWindow(const std::function<bool(HWND)>& wanted, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const bool ended = !running();
    for (HWND window : visibleWindowsOf(processId_)) {
      if (wanted(window)) return window;
    }
    if (ended || GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

std::optional<DWORD> VantrelRun::waitForExit(DWORD timeoutMs) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace vantrel::wine
