#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "csv/DexalCSVreader.h"
#include "csv/DexalColumnNames.h"
#include "csv/DexalVerdict.h"
#include "report/PulsePlot.h"
#include "report/ReportResult.h"
#include "report/ResultStore.h"

namespace Dexal {

// The headers, names and units of a model's measurements that the column table does not hold,
// and the labels, each kept once.
struct ReportTexts {
  std::set<std::string, std::less<>> texts;
  std::set<MeasurementLabel> labels;
};

struct ReportAsset {
  std::string assetId, assetMake, assetModel, assetSerial;
  std::vector<std::size_t> results;  // of the model's results, in file order (ResultsOf)
  DexalVerdict status;               // Fail when any result failed
  DexalVerdict lastStatus;           // of its latest result
  std::size_t days = 0;              // the days it was tested on
  std::string firstDate, lastDate;   // of its results, without the time of day
  std::string drift;                 // its drift note (AssetHistory.h), if any
};

// What a report shows of one or more CSV files.
struct ReportModel {
  // What its measurements' views show, shared by every copy of the model.
  std::shared_ptr<ReportTexts> texts = std::make_shared<ReportTexts>();
  // Those of the one file read; of several, each serial once in order of reading (the service
  // dates stand in the traceability block).
  std::string testerSerial, serviceDate;
  std::size_t sourceCount = 0;
  ResultStore results;
  // Those with a failure first, then those with a drift note, then the rest; each group in
  // order of appearance.
  std::vector<ReportAsset> assets;
  std::size_t passes = 0, fails = 0, others = 0;
};

// An asset's results while they are shown: held by the model or read back.
struct AssetResults {
  std::vector<ResultStore::Shown> shown;
  std::vector<const ReportResult*> list;  // in file order
};
AssetResults ResultsOf(const ReportModel& model, const ReportAsset& asset);

// Reads files section by section, keeping what the report shows: so a report holds one
// section's graph points at a time for each file being read, however long the files. A result is
// the tester's serial, the Asset ID, the date and the test type: the same value line in a later
// file is counted once (the copy with graph points kept); the same result with other values is a
// conflict, both kept and each named in a warning. Plots as files of their own are drawn only with
// `plotFiles`. Files may be read on several threads at once (Read); they are added in their order
// (Add).
class ReportModelBuilder {
 public:
  // A section's result as one file gives it, before it meets the other files' results.
  struct ReadResult {
    ReportResult result;
    std::array<unsigned char, 32> key, values;  // SHA-256 of its identity and of its value line
    UntitledPlot plot, plotFile;                // drawn when it has graph points
  };
  struct FileResults {
    std::string testerSerial, serviceDate;
    std::vector<ReadResult> results;
  };

  // Plots are drawn only with `plots` (for a page that shows them); results beyond
  // `resultMemory` bytes are put aside in a temporary file (ResultStore).
  explicit ReportModelBuilder(bool plotFiles, bool plots = true,
                              std::size_t resultMemory = ResultStore::kDefaultBudget)
      : plotFiles_(plotFiles), plots_(plots) {
    model_.results = ResultStore(resultMemory);
  }
  // Every section of the file; safe to call for several files at once.
  FileResults Read(DexalCSVreader& reader);
  // A file's results, the files in the order they were given; `source` names it in the report,
  // `messageName` in warnings.
  void Add(FileResults file, const std::string& source, const std::string& messageName);
  // The model, its assets and counts; `warnings` the conflicts found, each
  // "FILE:LINE and FILE:LINE: ...".
  ReportModel Finish();
  std::vector<std::string> warnings;

 private:
  // A result kept, its value line as a SHA-256: a copy has the same, another line not.
  struct Kept {
    std::size_t index;
    std::array<unsigned char, 32> values;
    std::size_t source, line;  // where it was read, for warnings
    bool graphPoints;
  };
  // A measurement's header as the file has it, shown and named.
  struct Column {
    std::string_view header;
    const DexalColumnName* names;   // null for a header that is not ours
    const MeasurementLabel* label;  // of a cell without a unit of its own
  };
  const Column& ColumnOf(const std::string& header);
  ReportResult ResultFromSection(const DexalCsvSection& section);
  void DrawTitled(ReportResult& result, const ReadResult& read) const;
  std::string_view Shared(std::string text);
  const MeasurementLabel* Label(const MeasurementLabel& label);

  bool plotFiles_, plots_;
  ReportModel model_;
  std::mutex textsMutex_;  // the model's texts and the columns, shared by the files being read
  std::map<std::string, Column, std::less<>> columns_;
  std::vector<std::string> serials_;
  std::vector<std::string> messageNames_;  // of the files added
  // By the SHA-256 of the tester's serial, the Asset ID, the date and the test type.
  std::map<std::array<unsigned char, 32>, std::vector<Kept>> kept_;
};

// One file's model.
ReportModel ReportModelFromReader(DexalCSVreader& reader, bool plotFiles = false);

}  // namespace Dexal
