#include "tests/wine/result_flow.h"

namespace vantrel::wine {

std::string completionText(const std::string& displayName, std::uint64_t fixCount) {
  return "Fix Complete\n\nFile: " + displayName +
         "\nNumber of problems found and fixed: " + std::to_string(fixCount);
}

ResultSeen finishRun(VantrelRun& run, const std::string& caption, const std::string& title,
                     const std::string& shot, Check& check) {
  ResultSeen seen;
  HWND box = run.waitForWindow(messageBoxTitled(caption), kPatience);
  if (!check.that(box != nullptr, "a box captioned \"" + caption + "\" appears")) return seen;
  seen.shown = true;
  seen.text = messageBoxText(box);

  HWND progress = ownerOf(box);
  check.that(progress != nullptr && isProgressWindow(progress),
             "the result box is owned by the progress window");
  if (progress != nullptr) {
    seen.progressTitle = windowText(progress);
    check.equal(seen.progressTitle, title, "progress window title");
    check.that(IsWindowVisible(progress) != 0, "the progress window stays open behind the box");
    check.that(IsWindowEnabled(progress) == 0, "the box is modal to the progress window");
    if (const auto bar = readBar(progressBarOf(progress))) seen.bar = *bar;
  }
  check.equal(visibleWindowsOf(run.processId()).size(), 2u,
              "windows shown: the progress window and the box");
  check.that(showsIcon(box), "the result box shows an icon");
  screenshot(shot, check);

  pressButton(box, IDOK);
  const auto exitCode = run.waitForExit(kPatience);
  if (check.that(exitCode.has_value(), "the program ends after OK")) {
    check.equal(*exitCode, 0ul, "exit code");
  }
  return seen;
}

void expectCompletion(VantrelRun& run, const std::string& displayName, std::uint64_t fixCount,
                      std::uint32_t chunkCount, const std::string& shot, Check& check) {
  const ResultSeen seen = finishRun(run, "Vantrel", "Vantrel - " + displayName, shot, check);
  if (!seen.shown) return;
  check.equal(seen.text, completionText(displayName, fixCount), "completion text");
  check.equal(seen.bar.low, 0, "progress range, low end");
  check.equal(seen.bar.high, static_cast<int>(chunkCount), "progress range, high end");
  check.equal(seen.bar.position, static_cast<int>(chunkCount), "progress position at the end");
}

void expectErrorBox(VantrelRun& run, const std::string& displayName, const std::string& text,
                    const std::string& shot, Check& check) {
  const ResultSeen seen = finishRun(run, "Error", "Vantrel - " + displayName, shot, check);
  if (!seen.shown) return;
  check.equal(seen.text, text, "error text");
  check.equal(seen.bar.position, 0, "progress position");
}

std::string putMovie(const CaseSetup& setup, const std::string& name, const Bytes& bytes) {
  const std::string path = setup.moviesDir + name;
  moviekit::writeFile(path, bytes);
  return path;
}

}  // namespace vantrel::wine
