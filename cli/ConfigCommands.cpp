#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/LinkConfiguration.h"
#include "cli/Output.h"
#include "files/FileLayer.h"
#include "lang/StringTable.h"
#include "link/Scans.h"

namespace zemra::cli {

namespace {

constexpr int kMsgFormatError = 53;

std::string_view FormatProblem(TextFormat status) {
  switch (status) {
    case TextFormat::kNoHeader:
      return "it has no \"[Configuration information]\" header";
    case TextFormat::kNoEnd:
      return "it has no \"[end]\" after the header within its first 4096 bytes";
    case TextFormat::kNoStartKey:
      return "it has no \"LBL\" line after the header";
    case TextFormat::kBadValue:
      return "a key's value is not a whole number";
    case TextFormat::kOk:
      break;
  }
  return {};
}

struct LoadedFile {
  std::optional<ConfigValues> values;
  std::string message;
};

// The whole file is read and checked here, before any connection: a file that does not parse
// must never lead to a single frame, not even the part before its bad line.
LoadedFile LoadConfigValues(const std::string& path) {
  const FileContents contents = ReadFileHead(path);
  if (contents.error) return {std::nullopt, contents.error->Description()};
  ConfigParse parsed = ParseConfigFile(contents.bytes);
  if (parsed.status != TextFormat::kOk) {
    return {std::nullopt, path + ": " + std::string(StringText(kMsgFormatError)) + " (" +
                              std::string(FormatProblem(parsed.status)) + ")"};
  }
  return {std::move(parsed.values), {}};
}

std::string Shown(const std::string& key, const std::optional<std::string>& value) {
  if (!value) return "(none)";
  return key == "LBL" ? "\"" + DisplayText(*value) + "\"" : *value;
}

void PrintDifferences(const std::vector<ConfigDifference>& differences, std::string_view other,
                      std::ostream& out) {
  for (const ConfigDifference& d : differences) {
    out << d.key << ": thermometer " << Shown(d.key, d.thermometer) << ", " << other << ' '
        << Shown(d.key, d.expected) << '\n';
  }
}

int ReadCurrent(Session& session, CommandIo& io, LinkConfiguration& config) {
  const int result = ReadLinkConfiguration(session.Link(), config);
  return result == kLinkOk ? kExitOk : session.Fail(io, result);
}

RangeLimits LimitsFor(const LinkConfiguration& config) {
  return {config.thermometer.rangeLow, config.thermometer.rangeHigh, MinOutputSpan(config.units)};
}

// What the thermometer should hold after the write: the label as the link sends it and as a
// read gives it back, everything else as sent.
ConfigValues ExpectedAfterWrite(LinkConfiguration sent) {
  sent.label = LabelFromReply(LabelForFrame(sent.label));
  return SavedKeysOnly(ToConfigValues(sent));
}

int Verify(const LinkConfiguration& sent, Session& session, CommandIo& io) {
  LinkConfiguration readBack = sent;
  if (const int read = ReadCurrent(session, io, readBack); read != kExitOk) return read;
  const std::vector<ConfigDifference> differences = CompareConfigValues(
      ToConfigValues(readBack), ExpectedAfterWrite(sent), sent.thermometer.typeClass);
  PrintDifferences(differences, "sent", io.out);
  if (differences.empty()) return kExitOk;
  return Report(io, kExitNoThermometer,
                std::to_string(differences.size()) + " value(s) differ from what was sent.");
}

}  // namespace

int RunReadConfig(const Invocation& inv, Session& session, CommandIo& io) {
  const bool toFile = !inv.operands.empty() && inv.operands.front() != "-";
  // The new file is prepared first, so a path that cannot be written fails before the
  // thermometer is read; the old file stays as it was until the text is complete.
  FileReplacer replacer;
  if (toFile) {
    if (const FileResult error = replacer.Create(inv.operands.front())) {
      return Report(io, kExitFileError, error->Description());
    }
  }
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  LinkConfiguration config;
  if (const int read = ReadCurrent(session, io, config); read != kExitOk) return read;
  const std::string text = ComposeConnectedConfigFile(config);
  if (!toFile) {
    io.out << text;
    io.out.flush();
    return kExitOk;
  }
  FileResult error = replacer.Write(text);
  if (!error) error = replacer.Commit();
  if (error) return Report(io, kExitFileError, error->Description());
  return kExitOk;
}

int RunWriteConfig(const Invocation& inv, Session& session, CommandIo& io) {
  const LoadedFile file = LoadConfigValues(inv.operands.front());
  if (!file.values) return Report(io, kExitFileError, file.message);
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  CQRVSerialPort& link = session.Link();

  LinkConfiguration config;
  if (const int read = ReadCurrent(session, io, config); read != kExitOk) return read;
  ApplyConfigValues(*file.values, config);
  if (const int written = WriteLinkConfiguration(link, config); written != kLinkOk) {
    return session.Fail(io, written, LimitsFor(config));
  }
  if (const int stored = link.StoreToMemory(); stored != kLinkOk) {
    return session.Fail(io, stored);
  }
  return inv.verify ? Verify(config, session, io) : kExitOk;
}

int RunDiff(const Invocation& inv, Session& session, CommandIo& io) {
  const LoadedFile file = LoadConfigValues(inv.operands.front());
  if (!file.values) return Report(io, kExitFileError, file.message);
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  LinkConfiguration config;
  if (const int read = ReadCurrent(session, io, config); read != kExitOk) return read;
  const std::vector<ConfigDifference> differences =
      CompareConfigValues(ToConfigValues(config), *file.values, config.thermometer.typeClass);
  PrintDifferences(differences, "file", io.out);
  return differences.empty() ? kExitOk : kExitNoThermometer;
}

}  // namespace zemra::cli
