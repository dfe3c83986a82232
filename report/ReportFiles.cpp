#include "report/ReportFiles.h"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/WideText.h"
#include "report/AssetRecords.h"
#include "report/HtmlReport.h"
#include "report/OrderedWork.h"
#include "report/OutputFiles.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"
#include "report/SourceDigest.h"

namespace Dexal {

std::string PlotFileName(std::size_t position, std::size_t resultCount,
                         const std::string& assetId) {
  std::string number = std::to_string(position);
  const std::size_t digits = std::to_string(resultCount).size();
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return number + "-" + SafeFileName(assetId) + ".svg";
}

namespace {

bool IsCsvName(const std::filesystem::path& path) {
  return AsciiLower(Utf8FromPath(path.extension())) == ".csv";
}

// A folder's CSV files in name order, each named below the folder as the user named it.
std::vector<ReportInput> FolderInputs(const std::string& argument) {
  const std::filesystem::path folder = PathFromUtf8(argument);
  std::string prefix = argument;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
  std::vector<ReportInput> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || !IsCsvName(entry.path())) continue;
    const std::u8string generic = entry.path().lexically_relative(folder).generic_u8string();
    const std::string below(generic.begin(), generic.end());
    found.push_back({entry.path(), prefix + below, below});
  }
  if (found.empty()) throw std::runtime_error(argument + ": no CSV file in this folder or below");
  std::sort(found.begin(), found.end(),
            [](const ReportInput& a, const ReportInput& b) { return a.shown < b.shown; });
  return found;
}

}  // namespace

std::vector<ReportInput> ReportInputsFrom(const std::vector<std::string>& arguments) {
  std::vector<ReportInput> inputs;
  std::set<std::filesystem::path> seen;
  for (const std::string& argument : arguments) {
    const std::filesystem::path path = PathFromUtf8(argument);
    std::error_code none;  // a file that is not there is named when it is read
    std::vector<ReportInput> named =
        std::filesystem::is_directory(path, none)
            ? FolderInputs(argument)
            : std::vector<ReportInput>{{path, argument, Utf8FromPath(path.filename())}};
    for (ReportInput& input : named) {
      const std::filesystem::path real = std::filesystem::weakly_canonical(input.path, none);
      if (seen.insert(none ? input.path : real).second) inputs.push_back(std::move(input));
    }
  }
  return inputs;
}

namespace {

// A file's bytes made only when it is written, so that the outputs are not all held at once.
NextBytes MadeWhenWritten(std::function<std::string()> make) {
  return [make = std::move(make), made = false](std::string& out) mutable {
    if (made) return false;
    out += make();
    made = true;
    return true;
  };
}

// Each asset's record in the request's folder, refused when it would be another file of the run.
void AddRecords(const ReportRequest& request, const ReportModel& model,
                const std::vector<SourceFacts>& sources, const std::string& madeAt,
                OutputFiles& outputs) {
  std::vector<std::string> ids;
  for (const ReportAsset& a : model.assets) ids.push_back(a.assetId);
  const std::vector<std::string> names = RecordFileNames(ids);
  outputs.AddFolder(*request.perAssetDir);
  // The CSV files (which exist, having been read) resolved once: a record is one of them by its
  // resolved name, or by a hard link, which has the file's size.
  std::vector<std::pair<std::filesystem::path, std::uintmax_t>> inputs;
  for (const ReportInput& input : request.inputs) {
    std::error_code none;
    inputs.emplace_back(ResolvedPath(input.path), std::filesystem::file_size(input.path, none));
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::filesystem::path record = *request.perAssetDir / names[i];
    const auto refuse = [&](const char* what) {
      throw RecordIsAnotherFile(std::string(what) +
                                " and --per-asset name the same file: " + Utf8FromPath(record));
    };
    for (const auto& [other, what] :
         {std::pair{request.html, "the HTML report"}, std::pair{request.table, "--table"}}) {
      if (other && SameFile(*other, record)) refuse(what);
    }
    std::error_code none;
    const std::uintmax_t size = std::filesystem::file_size(record, none);
    const std::filesystem::path resolved = ResolvedPath(record);
    for (const auto& [input, inputSize] : inputs) {
      if (SamePathText(input, resolved) ||
          (!none && size == inputSize && SameFile(input, record))) {
        refuse("the CSV file");
      }
    }
    outputs.Add(record, MadeWhenWritten([&model, &sources, &madeAt, i] {
                  return AssetRecordHtml(model, model.assets[i], sources, madeAt);
                }));
  }
}

// While one thread reads a long file the others go on with the files after it, whose results
// wait for its turn: up to so many files.
constexpr std::size_t kFilesAhead = 64;

}  // namespace

std::vector<std::string> MakeReport(const ReportRequest& request) {
  ReportModelBuilder builder(request.plotsDir.has_value(),
                             request.html || request.plotsDir || request.perAssetDir,
                             request.resultMemory);
  std::vector<SourceFacts> sources;
  struct FileRead {
    ReportModelBuilder::FileResults results;
    SourceFacts facts;
  };
  // Each file read and digested on a thread of its own, the results added in the files' order.
  const auto read = [&](std::size_t i) {
    const ReportInput& input = request.inputs[i];
    auto digesting =
        std::make_unique<DigestingSource>(std::make_unique<CsvFileSource>(input.path, input.name));
    DigestingSource& source = *digesting;
    DexalCSVreader reader(std::move(digesting), input.name, DexalCSVreader::kBlockBytes);
    FileRead file{builder.Read(reader), source.Finish(input.shown)};
    file.facts.testerSerial = reader.TesterSerial();
    file.facts.serviceDate = reader.ServiceDate();
    return file;
  };
  const auto add = [&](std::size_t i, FileRead&& file) {
    const ReportInput& input = request.inputs[i];
    builder.Add(std::move(file.results), input.shown, input.name);
    sources.push_back(std::move(file.facts));
  };
  MakeInParallelTakeInOrder<FileRead>(request.inputs.size(), WorkingThreads(), kFilesAhead, read,
                                      add);
  const ReportModel model = builder.Finish();
  const std::string madeAt = UtcTextFromSeconds(request.madeAt);
  OutputFiles outputs;
  // The page and the table, the longest files, are made as they are written, not held whole.
  if (request.html) outputs.Add(*request.html, HtmlReportPieces(model, sources, madeAt));
  if (request.table) outputs.Add(*request.table, FlatTablePieces(model, request.dialect));
  if (request.plotsDir) {
    outputs.AddFolder(*request.plotsDir);
    for (std::size_t i = 0; i < model.results.size(); ++i) {
      const ResultStore::Shown r = model.results.Get(i);
      if (r->plotFile.empty()) continue;
      outputs.Add(*request.plotsDir / PlotFileName(r->position, model.results.size(), r->assetId),
                  MadeWhenWritten([&model, i] { return model.results.Get(i)->plotFile; }));
    }
  }
  if (request.perAssetDir) AddRecords(request, model, sources, madeAt, outputs);
  outputs.WriteAll();
  return std::move(builder.warnings);
}

}  // namespace Dexal
