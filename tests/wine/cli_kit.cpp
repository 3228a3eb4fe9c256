#include "tests/wine/cli_kit.h"

namespace vantrel::wine {
namespace {

HANDLE inheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string fileText(const std::string& path) {
  const Bytes bytes = moviekit::readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

CliRun runCli(const std::string& cliPath, const std::string& arguments, const std::string& folder,
              Check& check, const std::optional<std::string>& standardInput) {
  CliRun run;
  const std::string outPath = folder + "cli-out.txt";
  const std::string errPath = folder + "cli-err.txt";
  HANDLE in = INVALID_HANDLE_VALUE;
  // The driver's end of the pipe, which the child must not inherit: it would
  // then never see its input end.
  HANDLE feed = INVALID_HANDLE_VALUE;
  if (standardInput) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!check.that(CreatePipe(&in, &feed, &inherit, 0) != 0 &&
                        SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0) != 0,
                    "make a pipe for standard input")) {
      return run;
    }
  } else {
    in = inheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
  }
  HANDLE out = inheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = inheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::string commandLine = "\"" + cliPath + "\" " + arguments;
  PROCESS_INFORMATION info{};
  const bool started =
      CreateProcessA(cliPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                     nullptr, folder.c_str(), &startup, &info) != 0;
  for (HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  if (feed != INVALID_HANDLE_VALUE) {
    // Written once the child runs, so that it reads while the driver writes;
    // closing the pipe then ends its input.
    DWORD written = 0;
    if (started) {
      check.that(WriteFile(feed, standardInput->data(), static_cast<DWORD>(standardInput->size()),
                           &written, nullptr) != 0 &&
                     written == standardInput->size(),
                 "write standard input");
    }
    CloseHandle(feed);
  }
  if (!check.that(started, "start " + commandLine)) return run;
  CloseHandle(info.hThread);
  if (WaitForSingleObject(info.hProcess, kPatience) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    run.exitCode = code;
  } else {
    TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 10000);
    check.that(false, commandLine + " ends in time");
  }
  CloseHandle(info.hProcess);
  run.out = fileText(outPath);
  run.err = fileText(errPath);
  return run;
}

std::string putCliBesideProgram(const CaseSetup& setup, const std::string& cliPath, Check& check) {
  const std::string path = setup.programDir + "vantrel-cli.exe";
  check.that(CopyFileA(cliPath.c_str(), path.c_str(), FALSE) != 0,
             "copy " + cliPath + " to " + path);
  return path;
}

std::string withLineFeeds(const std::string& text) {
  std::string folded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    folded += text[i];
  }
  return folded;
}

}  // namespace vantrel::wine
