// The wizard headless: pages in order driven by injected clicks and keys, the folder checks,
// the messages, and what is left on disk after a finished, failed or stopped install.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <tuple>
#include <utility>

#include "platform/null/null.h"
#include "platform/platform.h"
#include "setup/archive/UnRAR.h"
#include "setup/images/RxGIF.h"
#include "setup/mainunit.h"
#include "tests/setup/setup_fixture.h"
#include "tools/mkrar/rarwriter.h"

namespace zarn3set {
namespace {

using setup_test::Slurp;
using setup_test::Spit;
using setup_test::TempDirTest;

namespace fs = std::filesystem;

struct Step {
  std::string page;
  std::function<void(TPage&)> act;
};

class Wizard : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    home = dir / "home";
    fs::create_directories(home / "Desktop");
    setenv("HOME", home.c_str(), 1);
    for (const char* v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DESKTOP_DIR"}) unsetenv(v);
    ASSERT_TRUE(plat::Init(plat::BackendKind::Null));
    plat::null::SetJumpToTimers(true);
    plat::null::SetDesktopSize(800, 600);  // the window is maximised to it
    std::string error;
    ASSERT_TRUE(UiInit(&error)) << error;
    ASSERT_TRUE(screen.Create(kSetupCaption, &error)) << error;
    Spit(dir / "src" / kArchiveName, "archive bytes");
    ArchiveSourceDir = (dir / "src").string();
    ExtractProc = [this](const std::string& archive, TExtractEvents& ev) { return Extract(archive, ev); };
  }
  void TearDown() override {
    screen.Destroy();
    UiShutdown();
    plat::Shutdown();
    ExtractProc = ExtractWithComponent;
    ArchiveSourceDir.clear();
    WizardPictures = {};
    TempDirTest::TearDown();
  }

  // Stands in for the archive component: the files of `packed`, each begun with its output
  // name as the component gives it ("\" separators), progress in steps, and the outcomes a
  // test asks for.
  std::string Extract(const std::string& archive, TExtractEvents& ev) {
    extractedFrom = archive;
    fs::path out = fs::path(archive).parent_path();
    for (const std::string& name : packed) {
      std::string output = (out / name).string();
      std::replace(output.begin(), output.end(), '/', '\\');
      ev.begin(output);
      TProgressForm& progress = zarn3set::Wizard->ProgressForm;
      fileLines.push_back(progress.Label1->caption);
      if (name == packed.front()) {
        // The pointer beside the progress window, then over it.
        stopShown = progress.StopButton->visible;
        for (bool over : {false, true}) {
          plat::Rect r = progress.page.rect;
          plat::null::InjectMouseMove(screen.form->id, over ? r.x + r.w / 2 : r.x - 1, r.y + r.h / 2);
          screen.Pump();
          cursors.push_back(plat::null::CursorShape());
        }
      }
      for (int p = 0; p <= 100; p += 25) {
        if (stopAt >= 0 && p == 25) {  // a click where the hidden "Стоп" button lies
          int x, y;
          progress.page.CentreOf(progress.StopButton, x, y);
          plat::null::InjectMouseDown(screen.form->id, plat::MouseButton::Left, x, y);
          plat::null::InjectMouseUp(screen.form->id, plat::MouseButton::Left, x, y);
        }
        if (stopAt == p) plat::null::InjectClose(screen.form->id);
        ev.progress(p);
        percents.push_back(zarn3set::Wizard->ProgressForm.PBar->position);
        if (ev.stopped()) return "";
      }
      if (!failure.empty()) return failure;
      Spit(out / name, std::string("content of ") + name);
    }
    return "";
  }

  // Runs the wizard with a script of steps, each for the page named; answers the exit status.
  int Walk(std::vector<Step> steps) {
    std::size_t next = 0;
    int passes = 0;
    screen.onModalPass = [&](TScreen& s, TPage& page) {
      if (++passes > 20000) {
        ADD_FAILURE() << "the wizard does not move on; at " << page.name;
        s.closeRequested = true;
        return;
      }
      if (next >= steps.size()) {
        ADD_FAILURE() << "no step left for page " << page.name;
        s.closeRequested = true;
        return;
      }
      if (steps[next].page != page.name) {
        ADD_FAILURE() << "page " << page.name << " shown where " << steps[next].page << " was expected";
        s.closeRequested = true;
        return;
      }
      seen.push_back(page.name);
      steps[next++].act(page);
    };
    int status = RunWizard(screen);
    EXPECT_EQ(next, steps.size()) << "steps left over";
    return status;
  }

  void Click(TPage& page, const std::string& caption) {
    TWidget* w = page.Find(caption);
    ASSERT_NE(w, nullptr) << caption << " on " << page.name;
    int x, y;
    page.CentreOf(w, x, y);
    plat::null::InjectMouseDown(screen.form->id, plat::MouseButton::Left, x, y);
    plat::null::InjectMouseUp(screen.form->id, plat::MouseButton::Left, x, y);
    plat::ProcessMessages();
  }
  // Empties the edit line with End and Backspace and types `utf8` into it.
  void Type(TPage& page, const std::string& utf8) {
    TWidget* edit = EditOf(page);
    ASSERT_NE(edit, nullptr);
    int x, y;
    page.CentreOf(edit, x, y);
    plat::null::InjectMouseDown(screen.form->id, plat::MouseButton::Left, x, y);
    plat::null::InjectMouseUp(screen.form->id, plat::MouseButton::Left, x, y);
    plat::null::InjectKeyDown(screen.form->id, plat::vk::End);
    plat::null::InjectKeyUp(screen.form->id, plat::vk::End);
    for (std::size_t i = 0; i < edit->text.size() + 2; ++i) {
      plat::null::InjectKeyDown(screen.form->id, plat::vk::Back);
      plat::null::InjectKeyUp(screen.form->id, plat::vk::Back);
    }
    plat::null::InjectText(screen.form->id, plat::Utf8ToCp1251(utf8));
    plat::ProcessMessages();
  }
  static TWidget* EditOf(TPage& page) {
    for (auto& w : page.widgets)
      if (w->kind == TWidgetKind::Edit) return w.get();
    return nullptr;
  }
  Step Expect(const std::string& pageName, std::function<void(TPage&)> f) { return {pageName, std::move(f)}; }
  Step Press(const std::string& pageName, const std::string& button) {
    return {pageName, [this, button](TPage& p) { Click(p, button); }};
  }
  Step TypeFolder(const std::string& typed) {
    return {"folder", [this, typed](TPage& p) {
              Type(p, typed);
              Click(p, "Далее >");
            }};
  }
  // Pixels of text (black) outside the places given (window coordinates; the whole page when
  // none is) when the page is drawn alone.
  int InkOutside(TPage& page, std::vector<const TWidget*> places = {}) {
    std::vector<TPage*> shown{&page};
    std::swap(shown, screen.stack);
    screen.Repaint();
    std::swap(shown, screen.stack);
    std::vector<plat::Rect> rects;
    if (places.empty()) rects.push_back(page.rect);
    for (const TWidget* w : places) rects.push_back({page.rect.x + w->rect.x, page.rect.y + 22 + w->rect.y, w->rect.w, w->rect.h});
    int ink = 0;
    for (int y = 0; y < screen.surface.height; ++y)
      for (int x = 0; x < screen.surface.width; ++x) {
        if (std::any_of(rects.begin(), rects.end(), [&](const plat::Rect& r) {
              return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
            }))
          continue;
        std::uint8_t cr, cg, cb;
        plat::UnpackColour(screen.surface.format, screen.surface.pixels[static_cast<std::size_t>(y) * screen.surface.width + x], cr, cg, cb);
        ink += cr < 32 && cg < 32 && cb < 32;
      }
    return ink;
  }
  Step Installed() {
    return {"finish", [this](TPage& p) {
              EXPECT_EQ(zarn3set::Wizard->CopyForm.Text->caption, kInstalledText);
              Click(p, "Завершено");
            }};
  }
  // Installs into `folder` with the group page as proposed; the closing page must say so.
  void InstallInto(const std::string& folder) {
    Walk({Press("welcome", "Начать"), TypeFolder(folder), Press("group", "Далее >"), Installed()});
  }
  Step Message(const std::string& text, const std::string& button) {
    return {"message", [this, text, button](TPage& p) {
              EXPECT_EQ(p.widgets[0]->caption, text);
              Click(p, button);
            }};
  }

  fs::path home;
  TScreen screen;
  std::vector<std::string> seen;
  std::vector<int> percents;
  std::vector<std::string> packed{"zarn", "data/zarn.res"};
  std::vector<std::string> fileLines;  // the progress window's file line at each file's start
  std::string extractedFrom, failure;
  int stopAt = -1;  // the window is closed at this percent of the first file
  bool stopShown = true;
  std::vector<plat::SystemCursor> cursors;
};

TEST_F(Wizard, InstallsThroughEveryPageInOrder) {
  std::string typed = "~/Игры/Zarn III/новая";
  int status = Walk({
      Press("welcome", "Начать"),
      Expect("folder",
             [&](TPage& p) {
               EXPECT_EQ(EditOf(p)->text, ProgramFilesDir + "/ZarnIII");
               // The free space follows the folder typed: none for a relative one.
               Type(p, "relative");
               EXPECT_EQ(zarn3set::Wizard->GetDirForm.FreeLine->caption, "Свободно на диске  ? Mb");
               Type(p, typed);
               EXPECT_EQ(zarn3set::Wizard->GetDirForm.FreeLine->caption,
                         "Свободно на диске  " + std::to_string(FreeBytes(home.string()) / 1048576) + " Mb");
               Click(p, "Далее >");
             }),
      Expect("group",
             [&](TPage& p) {
               EXPECT_EQ(InstallDir, home.string() + "/Игры/Zarn III/новая/");
               EXPECT_TRUE(fs::is_directory(InstallDir));  // every level made
               EXPECT_EQ(EditOf(p)->text, ProgramsMenuDir + "/Zarn III");
               EXPECT_TRUE(p.Find("Ярлык на рабочий стол")->checked);
               Click(p, "Далее >");
             }),
      Expect("finish",
             [&](TPage& p) {
               EXPECT_EQ(zarn3set::Wizard->CopyForm.Text->caption, kInstalledText);
               Click(p, "Завершено");
             }),
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(WizardEnd, TWizardEnd::Finished);
  EXPECT_EQ(extractedFrom, InstallDir + "zarn3.rar");
  EXPECT_EQ(Slurp(InstallDir + "zarn3.rar"), "archive bytes");
  EXPECT_EQ(Slurp(InstallDir + "data/zarn.res"), "content of data/zarn.res");
  EXPECT_EQ(LinkGroupDir, ProgramsMenuDir + "/Zarn III/");
  EXPECT_EQ(DesktopLinkDir, (home / "Desktop").string() + "/");
  std::string group = Slurp(LinkGroupDir + kLauncherFileName);
  EXPECT_NE(group.find("Exec="), std::string::npos);
  EXPECT_NE(group.find("/новая/zarn"), std::string::npos);
  EXPECT_TRUE(fs::exists(home / "Desktop" / kLauncherFileName));
  // Each file's line is two blanks and its output name, install folder and all.
  EXPECT_EQ(fileLines, (std::vector<std::string>{"  " + InstallDir + "zarn", "  " + InstallDir + "data/zarn.res"}));
  // The bar rose file by file to 100.
  ASSERT_EQ(percents.size(), 10u);
  EXPECT_EQ(percents[0], 0);
  EXPECT_EQ(percents[4], 100);
  EXPECT_EQ(percents[9], 100);
  EXPECT_EQ(zarn3set::WizardStep, 3);
  // An hourglass over the progress window only; no "Стоп" button in it.
  EXPECT_EQ(cursors, (std::vector<plat::SystemCursor>{plat::SystemCursor::Arrow, plat::SystemCursor::Wait}));
  EXPECT_FALSE(stopShown);
}

// The background window is maximised with its picture stretched over it, and the pages are
// centred in it; when the window system gives the window another size, all follow.
TEST_F(Wizard, ThePictureFillsTheMaximisedWindowAndThePagesAreCentredInIt) {
  TBitmap halves;  // red over blue
  halves.Create(2, 2, 24);
  for (int x = 0; x < 2; ++x) {
    halves.SetPixel(x, 0, {255, 0, 0});
    halves.SetPixel(x, 1, {0, 0, 255});
  }
  TGIFImage gif;
  gif.Assign(halves);
  WizardPictures.background = gif.WriteData();
  auto colour = [](int x, int y) {
    const plat::null::Frame& f = plat::null::LastFrame();
    TRGB c{};
    plat::UnpackColour(f.format, f.pixels[static_cast<std::size_t>(y) * f.width + x], c.r, c.g, c.b);
    return c;
  };
  Walk({Expect("welcome", [&](TPage& p) {
    for (auto [w, h] : {std::pair{800, 600}, std::pair{1000, 700}}) {
      SCOPED_TRACE(w);
      if (w != 800) {
        plat::null::InjectResize(screen.form->id, w, h);
        plat::ProcessMessages();
      }
      screen.Repaint();
      const plat::null::Frame& f = plat::null::LastFrame();
      ASSERT_EQ(f.width, w);
      ASSERT_EQ(f.height, h);
      EXPECT_EQ(f.window.w, w);
      EXPECT_EQ(p.rect.x, (w - 536) / 2);
      EXPECT_EQ(p.rect.y, (h - 348) / 2);
      const TRGB red{255, 0, 0}, blue{0, 0, 255};
      const std::tuple<int, int, TRGB> spots[] = {
          {0, 0, red}, {w - 1, h / 2 - 1, red}, {0, h / 2, blue}, {w - 1, h - 1, blue}};
      for (auto [x, y, c] : spots) EXPECT_EQ(colour(x, y), c) << x << "," << y;
    }
    Click(p, "Выйти");
  })});
}

TEST_F(Wizard, BackReturnsToEarlierPagesAndLeavingInstallsNothing) {
  int status = Walk({
      Press("welcome", "Начать"),
      TypeFolder((dir / "one").string()),
      Press("group", "< Назад"),
      // Proposed afresh under the program-files folder.
      Expect("folder", [&](TPage& p) { EXPECT_EQ(EditOf(p)->text, ProgramFilesDir + "/ZarnIII"); Click(p, "< Назад"); }),
      Press("welcome", "Выйти"),
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(WizardEnd, TWizardEnd::Quit);
  EXPECT_TRUE(extractedFrom.empty());
  EXPECT_FALSE(fs::exists(dir / "one" / kArchiveName));
}

// A double click, or Return pressed twice, before the page has closed steps one page only.
TEST_F(Wizard, TwoPressesInOnePassStepOnePage) {
  auto twice = [this](TPage& p, bool keys) {
    int x, y;
    p.CentreOf(p.Find(keys ? "Начать" : "Далее >"), x, y);
    for (int i = 0; i < 2; ++i) {
      if (keys) plat::null::InjectKeyDown(screen.form->id, plat::vk::Return);
      else plat::null::InjectClick(screen.form->id, x, y);
    }
    plat::ProcessMessages();
  };
  Walk({Expect("welcome", [&](TPage& p) { twice(p, true); }),
        TypeFolder((dir / "game").string()),
        Expect("group", [&](TPage& p) { Click(p, "< Назад"); }),
        Expect("folder", [&](TPage& p) { twice(p, false); }),
        Press("group", "< Назад"), Press("folder", "< Назад"), Press("welcome", "Выйти")});
  EXPECT_TRUE(extractedFrom.empty());
}

TEST_F(Wizard, AFolderThatCannotBeHadKeepsThePageOpenWithItsReason) {
  Spit(dir / "plain_file", "x");
  std::string underFile = (dir / "plain_file" / "ZarnIII").string();
  int status = Walk({
      Press("welcome", "Начать"),
      TypeFolder("games/zarn"),
      Message(std::string(kNotAbsoluteText) + "games/zarn", "OK"),
      TypeFolder(underFile),
      {"message", [&](TPage& p) {
         EXPECT_EQ(p.widgets[0]->caption.rfind(std::string(kCannotMakeFolderText) + underFile + ": ", 0), 0u)
             << p.widgets[0]->caption;
         Click(p, "OK");
       }},
      // The archive component would take "\\" for a separator and fail late: refused here.
      TypeFolder((dir / "a\\b").string()),
      Message(kBackslashText + (dir / "a\\b").string(), "OK"),
      TypeFolder("/proc/zarn3set/ZarnIII"),
      Message(std::string(kCannotMakeFolderText) + "/proc/zarn3set/ZarnIII: No such file or directory", "OK"),
      TypeFolder("~"),
      Expect("group", [&](TPage& p) {
        EXPECT_EQ(InstallDir, home.string() + "/");
        Type(p, "~/menu\\Zarn");
        Click(p, "Далее >");
      }),
      Message(std::string(kBackslashText) + "~/menu\\Zarn", "OK"),
      Press("group", "< Назад"),
      Press("folder", "< Назад"),
      Press("welcome", "Выйти"),
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(fs::exists(dir / "a\\b"));
  EXPECT_FALSE(fs::exists(home / "menu\\Zarn"));
}

TEST_F(Wizard, WithoutADesktopOnlyTheGroupShortcutIsMade) {
  fs::remove_all(home / "Desktop");
  Walk({
      Press("welcome", "Начать"),
      TypeFolder((dir / "game").string()),
      Expect("group",
             [&](TPage& p) {
               TWidget* box = p.Find("Ярлык на рабочий стол");
               EXPECT_FALSE(box->enabled);
               EXPECT_FALSE(box->checked);
               Click(p, "Ярлык на рабочий стол");
               EXPECT_FALSE(box->checked);
               Click(p, "Далее >");
             }),
      Press("finish", "Завершено"),
  });
  EXPECT_EQ(WizardEnd, TWizardEnd::Finished);
  EXPECT_TRUE(DesktopLinkDir.empty());
  EXPECT_TRUE(fs::exists(LinkGroupDir + kLauncherFileName));
  EXPECT_FALSE(fs::exists(home / "Desktop"));
}

TEST_F(Wizard, UntickingTheDesktopBoxMakesOnlyTheGroupShortcut) {
  Walk({
      Press("welcome", "Начать"),
      TypeFolder((dir / "game").string()),
      Expect("group",
             [&](TPage& p) {
               Click(p, "Ярлык на рабочий стол");
               EXPECT_FALSE(p.Find("Ярлык на рабочий стол")->checked);
               Click(p, "Далее >");
             }),
      Installed(),
  });
  EXPECT_EQ(WizardEnd, TWizardEnd::Finished);
  EXPECT_EQ(DesktopLinkDir, "");
  EXPECT_TRUE(fs::exists(LinkGroupDir + kLauncherFileName));
  EXPECT_TRUE(fs::is_directory(home / "Desktop"));
  EXPECT_FALSE(fs::exists(home / "Desktop" / kLauncherFileName));
}

// A link standing where the archive's copy goes is replaced by the copy; the file it points
// at, inside the install folder or not, keeps its bytes.
TEST_F(Wizard, TheArchiveCopyReplacesALinkAndNeverWritesThroughIt) {
  fs::path victim = dir / "victim.txt";
  fs::path missing = dir / "made_through_a_link";
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> plant;
  };
  std::vector<Case> cases{
      {"symbolic link", [&](const fs::path& at) { fs::create_symlink(victim, at); }},
      {"hard link", [&](const fs::path& at) { fs::create_hard_link(victim, at); }},
      {"dangling link", [&](const fs::path& at) { fs::create_symlink(missing, at); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spit(victim, "not the archive");
    fs::path target = dir / ("game" + std::to_string(++n));
    fs::create_directories(target);
    c.plant(target / kArchiveName);
    seen.clear();
    InstallInto(target.string());
    EXPECT_EQ(Slurp(victim), "not the archive");
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::is_symlink(target / kArchiveName));
    EXPECT_EQ(Slurp(target / kArchiveName), "archive bytes");
    EXPECT_EQ(fs::hard_link_count(victim), 1u);
    // Only the archive and what it held: no half-written copy beside it.
    EXPECT_EQ(setup_test::Listing(target), "data\ndata/zarn.res\nzarn\nzarn3.rar\n");
  }
}

TEST_F(Wizard, InstallingFromTheInstallFolderItselfKeepsTheArchive) {
  fs::path target = dir / "same";
  Spit(target / kArchiveName, "the one archive");
  ArchiveSourceDir = target.string();
  InstallInto(target.string());
  EXPECT_EQ(Slurp(target / kArchiveName), "the one archive");
}

// The outcomes that must leave no launcher behind.
class WizardFailure : public Wizard {
 protected:
  int Install(const std::string& folder, std::vector<Step> tail) {
    std::vector<Step> steps{
        Press("welcome", "Начать"),
        TypeFolder(folder),
        Press("group", "Далее >"),
    };
    steps.insert(steps.end(), tail.begin(), tail.end());
    int status = Walk(steps);
    EXPECT_FALSE(fs::exists(LinkGroupDir + kLauncherFileName));
    EXPECT_FALSE(fs::exists(home / "Desktop" / kLauncherFileName));
    return status;
  }
  std::string FinishText() { return zarn3set::Wizard ? zarn3set::Wizard->CopyForm.Text->caption : finishText; }
  Step Finish(const std::string& startsWith) {
    return {"finish", [this, startsWith](TPage& p) {
              finishText = zarn3set::Wizard->CopyForm.Text->caption;
              EXPECT_EQ(finishText.rfind(startsWith, 0), 0u) << finishText;
              EXPECT_NE(finishText.find(kNoShortcutsText), std::string::npos);
              Click(p, "Завершено");
            }};
  }
  std::string finishText;
};

TEST_F(WizardFailure, AMissingArchiveEndsTheSetupWithItsMessage) {
  fs::remove(dir / "src" / kArchiveName);
  std::string source = (dir / "src" / kArchiveName).string();
  EXPECT_EQ(Install((dir / "g").string(),
                    {Message("Ошибка, файл " + source + " не найден! Прервать установку?", "Yes")}),
            1);
  EXPECT_TRUE(extractedFrom.empty());
}

TEST_F(WizardFailure, AFailedExtractionSaysSo) {
  failure = "Error writing file: No space left on device";
  EXPECT_EQ(Install((dir / "g").string(), {Finish(std::string(kNotInstalledText) + failure)}), 1);
}

TEST_F(WizardFailure, AnArchiveWithNothingInItInstallsNothing) {
  packed.clear();
  EXPECT_EQ(Install((dir / "g").string(), {Finish(std::string(kNotInstalledText) + kEmptyArchiveText)}), 1);
  EXPECT_EQ(WizardEnd, TWizardEnd::Aborted);
}

TEST_F(WizardFailure, AnArchiveWithoutTheProgramMakesNoShortcutToIt) {
  packed = {"data/zarn.res"};
  EXPECT_EQ(Install((dir / "g").string(),
                    {Finish(std::string(kNotInstalledText) + kNoProgramText + (dir / "g" / "zarn").string())}),
            1);
}

// The same through the real component and library, on an archive that holds no entry at all.
TEST_F(WizardFailure, AnEmptyRarArchiveInstallsNothing) {
  ASSERT_TRUE(BindUnrarLibrary(ZARN_UNRAR_LIBRARY));
  ExtractProc = ExtractWithComponent;
  Spit(dir / "src" / kArchiveName, zarn_tools::WriteRar({}));
  int status = Install((dir / "g").string(), {Finish(std::string(kNotInstalledText) + kEmptyArchiveText)});
  UnbindUnrarLibrary();
  EXPECT_EQ(status, 1);
}

// Closing the window stops the extraction; the hidden "Стоп" button stops nothing.
TEST_F(WizardFailure, ClosingTheWindowStopsTheExtraction) {
  stopAt = 50;
  EXPECT_EQ(Install((dir / "g").string(), {}), 1);
  EXPECT_EQ(percents, (std::vector<int>{0, 25, 50}));
  EXPECT_FALSE(fs::exists(dir / "g" / "zarn"));
}

TEST_F(WizardFailure, AnArchiveThatCannotBeCopiedSaysWhy) {
  fs::create_directories(dir / "g" / kArchiveName);  // a folder where the copy must go
  EXPECT_EQ(Install((dir / "g").string(), {Finish(kNotInstalledText)}), 1);
  EXPECT_NE(finishText.find((dir / "g" / kArchiveName).string() + ": Is a directory\r\n"), std::string::npos)
      << finishText;
  EXPECT_TRUE(extractedFrom.empty());
}

// Names far longer than a line, in a message and on the closing page, stay inside them.
TEST_F(WizardFailure, ALongNameInAFailureTextStaysInsideItsWindow) {
  fs::path deep = dir;
  for (int i = 0; i < 16; ++i) deep /= "очень_длинное_имя_папки_без_пробелов_" + std::to_string(i);
  Spit(dir / "plain_file", "x");
  fs::path underFile = dir / "plain_file";  // longer than the screen has lines for
  for (int i = 0; i < 3; ++i) underFile /= deep.lexically_relative(dir);
  fs::create_directories(deep / kArchiveName);  // the copy cannot be written
  int status = Walk({
      Press("welcome", "Начать"),
      TypeFolder(underFile.string()),
      {"message", [&](TPage& p) {
         EXPECT_NE(p.widgets[0]->caption.find(underFile.string()), std::string::npos);
         EXPECT_LE(p.rect.h, screen.height);
         EXPECT_EQ(InkOutside(p), 0);
         Click(p, "OK");
       }},
      TypeFolder(deep.string()),
      Press("group", "Далее >"),
      Expect("finish", [&](TPage& p) {
        EXPECT_NE(FinishText().find(deep.string()), std::string::npos);
        EXPECT_EQ(InkOutside(p, {zarn3set::Wizard->CopyForm.Text, zarn3set::Wizard->CopyForm.Button2}), 0);
        Click(p, "Завершено");
      }),
  });
  EXPECT_EQ(status, 1);
}

TEST_F(WizardFailure, UnreadableFoldersEndTheSetupWithTheFoldersMessage) {
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(Walk({Press("welcome", "Начать"), Message(kRegistryError, "Yes")}), 1);
}

TEST(ProgressWindow, ShowsPercentOfTheMaximumAndNeverDividesByZero) {
  TProgressForm f;
  EXPECT_EQ(f.Label2->caption, "0 %");
  f.SetPMax(200);
  f.SetPPos(50);
  EXPECT_EQ(f.PBar->position, 25);
  EXPECT_EQ(f.Label2->caption, "25 %");
  f.SetPMax(0);
  f.SetPPos(7);
  EXPECT_EQ(f.PBar->position, 0);
  EXPECT_EQ(f.PPos, 7);
  f.SetPMax(100);
  f.SetPPos(250);
  EXPECT_EQ(f.PBar->position, 100);
}

TEST(Folders, TildeIsTheHomeFolderAndFreeSpaceIsSixtyFourBit) {
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(ExpandFolder("  ~/games/ "), "/home/someone/games");
  EXPECT_EQ(ExpandFolder("~"), "/home/someone");
  EXPECT_EQ(ExpandFolder("a~/b"), "a~/b");
  EXPECT_EQ(ExpandFolder("/x/y///"), "/x/y");
  auto freeOfRoot = [] {
    struct statvfs st {};
    EXPECT_EQ(statvfs("/", &st), 0);
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
  };
  // Any missing levels are skipped up to the folder that exists. Other programs write to the
  // disk meanwhile: the answer is compared when the disk held still around the call.
  for (int tries = 1;; ++tries) {
    std::int64_t before = freeOfRoot(), got = FreeBytes("/no/such/folder/anywhere");
    if (before == freeOfRoot() || tries == 50) {
      EXPECT_EQ(got, before);
      break;
    }
  }
  EXPECT_EQ(FreeBytes(""), -1);
}

}  // namespace
}  // namespace zarn3set
