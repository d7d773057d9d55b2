#include "app/CommandLine.h"

namespace zemra {
namespace {

constexpr std::string_view kDataFolderOption = "--data-folder";

std::string AsFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> arguments) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "-h" || arg == "--help") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (arg == kDataFolderOption || arg.starts_with(std::string(kDataFolderOption) + "=")) {
      std::string folder;
      if (arg == kDataFolderOption) {
        if (i + 1 == arguments.size()) {
          line.error = "option --data-folder needs a folder";
          return line;
        }
        folder = arguments[++i];
      } else {
        folder = arg.substr(kDataFolderOption.size() + 1);
      }
      if (folder.empty()) {
        line.error = "option --data-folder needs a folder";
        return line;
      }
      line.dataFolder = AsFolder(folder);
    } else {
      line.error = (arg.starts_with("-") ? "unknown option " : "unexpected argument ") + arg;
      return line;
    }
  }
  return line;
}

bool AsksForHelpOrVersion(std::span<const std::string> arguments) {
  for (const std::string& arg : arguments) {
    if (arg == "--") break;
    if (arg == "-h" || arg == "--help" || arg == "--version") return true;
  }
  return false;
}

std::string HelpText(std::string_view program) {
  std::string text = "Usage: ";
  text.append(program).append(" [--data-folder DIR]\n");
  text +=
      "\n"
      "Configures and watches one ZEMRA infrared thermometer, over an RS-485 serial line or\n"
      "over Ethernet (TCP port 2101).\n"
      "\n"
      "Options:\n"
      "  --data-folder DIR  keep CommsSettings.cfg and the configuration files (default.zcf,\n"
      "                     Config.zcf, Recall.zcf, ConfigFile.zcf) in DIR instead of the\n"
      "                     machine's shared data folder + Orvane/Zemranet/. The folder is\n"
      "                     never created: it must exist for the files to be written.\n"
      "  -h, --help         show this help and exit\n"
      "  --version          show the version and exit\n"
      "\n"
      "The language module ZEMRAnetRes_0800.dll is looked for beside the program first, then\n"
      "in the installed data folder. Every byte of serial traffic is logged to ZEMRAnet.log\n"
      "in the working directory. Qt's own options (-platform, -style ...) are accepted too.\n";
  return text;
}

}  // namespace zemra
