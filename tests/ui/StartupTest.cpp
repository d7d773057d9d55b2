#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "WindowRig.h"
#include "app/CQorvelControllerApp.h"
#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "lang/StringTable.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/ModuleLoading.h"
#include "ui/ScriptedPrompts.h"

namespace zemra {
namespace {

const QString kNoModule =
    QStringLiteral("The resource dll ZEMRAnetRes_0800.dll could not be found.");

// Starts the application as the program does, with the window's run observed: whether a window
// was ever shown, and its title.
struct AppRun {
  ScriptedPrompts prompts;
  QTemporaryDir data;
  bool shown = false;
  bool hadTemplate = false;
  QString title;
  int result = 0;

  bool Start(const QStringList& moduleFolders) {
    AppOptions options;
    options.prompts = &prompts;
    options.moduleFolders = moduleFolders;
    options.dataFolder = data.path().toStdString() + "/";
    options.run = [this](CQorvelControllerDlg& window) {
      hadTemplate = window.HasTemplate();
      QTimer::singleShot(0, &window, [this, &window] {
        shown = window.isVisible();
        title = window.windowTitle();
        window.OnExit();
      });
      result = window.DoModal();
      return result;
    };
    CQorvelControllerApp app(std::move(options));
    return app.InitInstance();
  }
};

TEST(Startup, withoutTheModuleOneMessageAndNoWindow) {
  QTemporaryDir empty;
  AppRun run;
  EXPECT_FALSE(run.Start({empty.path()}));
  ASSERT_EQ(run.prompts.shown().size(), 1u);
  const auto& message = run.prompts.shown()[0];
  EXPECT_EQ(message.kind, ScriptedPrompts::Kind::kMessage);
  EXPECT_EQ(message.text, kNoModule);
  EXPECT_EQ(message.caption, "File not Found");
  EXPECT_EQ(message.icon, PromptIcon::kExclamation);
  EXPECT_FALSE(message.hadOwner);
  EXPECT_FALSE(run.hadTemplate);
  EXPECT_FALSE(run.shown);
  EXPECT_EQ(run.result, -1);
  // Nothing is read or written without a window.
  EXPECT_TRUE(QDir(run.data.path()).isEmpty());
}

TEST(Startup, withTheModuleTheWindowComesUpFromItsFormAndNothingIsAsked) {
  AppRun run;
  EXPECT_FALSE(run.Start({QStringLiteral("/nonexistent-folder"), ModuleDir()}));
  EXPECT_TRUE(run.prompts.shown().empty());
  EXPECT_TRUE(run.hadTemplate);
  EXPECT_TRUE(run.shown);
  EXPECT_EQ(run.title, "ZEMRAnet");
  // First start in an existing data folder: the settings file is made with the defaults.
  EXPECT_TRUE(QFile::exists(QDir(run.data.path()).filePath("CommsSettings.cfg")));
}

TEST(Startup, damagedModulesCountAsMissing) {
  QTemporaryDir garbage;
  WriteAll(QDir(garbage.path()).filePath("ZEMRAnetRes_0800.dll"),
           QByteArray("MZ this is not a resource bundle at all\x00\x01\x02", 43));
  QTemporaryDir empty;
  WriteAll(QDir(empty.path()).filePath("ZEMRAnetRes_0800.dll"), QByteArray());
  const QString bundles = QStringLiteral(ZEMRA_TEST_BUNDLES);
  for (const QString& folder :
       {garbage.path(), empty.path(), bundles + "/NoForm", bundles + "/BrokenForm"}) {
    AppRun run;
    run.Start({folder});
    ASSERT_EQ(run.prompts.shown().size(), 1u) << folder.toStdString();
    EXPECT_EQ(run.prompts.shown()[0].text, kNoModule);
    EXPECT_FALSE(run.shown) << folder.toStdString();
  }
}

TEST(ModuleLoading, theEnglishModuleStandsInWithAWarning) {
  ScriptedPrompts prompts;
  std::vector<QString> tried;
  ModuleOpener secondTime = [&](const QString& name) {
    tried.push_back(name);
    return tried.size() == 1 ? nullptr : LanguageModule::Open(QDir(ModuleDir()).filePath(name));
  };
  auto module = LoadLanguageModule(0x0800, secondTime, prompts);
  ASSERT_TRUE(module);
  EXPECT_EQ(tried, (std::vector<QString>{"ZEMRAnetRes_0800.dll", "ZEMRAnetRes_0800.dll"}));
  ASSERT_EQ(prompts.shown().size(), 1u);
  EXPECT_EQ(prompts.shown()[0].text,
            "The language specific dll ZEMRAnetRes_0800.dll could not be found.\n"
            "The English version will be loaded instead.");
  EXPECT_EQ(prompts.shown()[0].caption, "File not Found");

  ScriptedPrompts other;
  tried.clear();
  LoadLanguageModule(0x0409, secondTime, other);
  EXPECT_EQ(tried.front(), "ZEMRAnetRes_0409.dll");
  EXPECT_EQ(tried.back(), "ZEMRAnetRes_0800.dll");
  EXPECT_TRUE(other.shown()[0].text.contains("ZEMRAnetRes_0409.dll"));
}

TEST(ModuleLoading, namesAndSearchOrder) {
  EXPECT_EQ(ModuleFileName(0x0800), "ZEMRAnetRes_0800.dll");
  EXPECT_EQ(ModuleFileName(0x9), "ZEMRAnetRes_0009.dll");
  EXPECT_EQ(ModuleFileName(0xABCD), "ZEMRAnetRes_abcd.dll");

  QTemporaryDir first;
  QFile::copy(QDir(ModuleDir()).filePath("ZEMRAnetRes_0800.dll"),
              QDir(first.path()).filePath("ZEMRAnetRes_0800.dll"));
  auto module = SearchFolders({first.path(), ModuleDir()})("ZEMRAnetRes_0800.dll");
  ASSERT_TRUE(module);
  EXPECT_EQ(module->Path(), QDir(first.path()).filePath("ZEMRAnetRes_0800.dll"));
  EXPECT_FALSE(SearchFolders({first.path()})("ZEMRAnetRes_0409.dll"));
}

TEST(LanguageModule, carriesTheStringTableAndTheResources) {
  auto module = LanguageModule::Open(QDir(ModuleDir()).filePath("ZEMRAnetRes_0800.dll"));
  ASSERT_TRUE(module);
  for (const StringEntry& entry : StringTable())
    EXPECT_EQ(module->String(entry.id), QString::fromLatin1(entry.text.data(), entry.text.size()));
  EXPECT_EQ(module->String(3), "");
  EXPECT_TRUE(module->Has("dialog", 1008));
  EXPECT_TRUE(module->Has("menu", 192));
  const QPixmap toolbar = module->Bitmap(1020);
  EXPECT_EQ(toolbar.size(), QSize(80, 40));  // two 40 x 40 images
  for (int id : {2033, 2035, 2039, 2045}) EXPECT_FALSE(module->Bitmap(id).isNull()) << id;
}

TEST(CommandLine, optionsAndRefusals) {
  auto parse = [](std::vector<std::string> args) { return ParseCommandLine(args); };
  EXPECT_EQ(parse({"--data-folder", "/tmp/demo"}).dataFolder, "/tmp/demo/");
  EXPECT_EQ(parse({"--data-folder=/tmp/demo/"}).dataFolder, "/tmp/demo/");
  EXPECT_TRUE(parse({}).error.empty());
  EXPECT_FALSE(parse({}).dataFolder);
  EXPECT_TRUE(parse({"--help"}).help);
  EXPECT_TRUE(parse({"-h"}).help);
  EXPECT_TRUE(parse({"--version"}).version);
  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--data-folder"}, {"--data-folder="}, {"--colour"}, {"file.zcf"}, {"-x"}}) {
    EXPECT_FALSE(parse(bad).error.empty()) << bad[0];
  }
  EXPECT_TRUE(AsksForHelpOrVersion(std::vector<std::string>{"--data-folder", "x", "--help"}));
  EXPECT_FALSE(AsksForHelpOrVersion(std::vector<std::string>{"--data-folder", "x"}));
  EXPECT_NE(HelpText("zemranet").find("--data-folder DIR"), std::string::npos);
}

TEST(DataFolder, isTheMachinesSharedLocationPlusTheMakersFolder) {
  const QString home = QStringLiteral("/home/engineer");
  EXPECT_EQ(DataFolderFrom({"/home/engineer/.local/share", "/usr/local/share", "/usr/share"}, home),
            "/usr/local/share/Orvane/Zemranet/");
  EXPECT_EQ(DataFolderFrom({"/usr/share/"}, home), "/usr/share/Orvane/Zemranet/");
  EXPECT_EQ(DataFolderFrom({"/home/engineer/.local/share"}, home), "");
  EXPECT_EQ(DataFolderFrom({}, home), "");
  EXPECT_EQ(DataFolderFrom({"relative/share", "/opt/share"}, home), "/opt/share/Orvane/Zemranet/");
  // Exactly one separator between the parts and one at the end.
  const std::string resolved = ResolveDataFolder();
  if (!resolved.empty()) {
    EXPECT_TRUE(resolved.ends_with("/Orvane/Zemranet/"));
    EXPECT_EQ(resolved.find("//"), std::string::npos);
  }
}

}  // namespace
}  // namespace zemra
