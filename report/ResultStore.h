#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "report/ReportResult.h"

namespace Dexal {

// The results of a report, in the order they were added: held in memory up to a budget of
// bytes, the rest put aside in a temporary file and read back one at a time while it is shown,
// so that what a report holds does not grow with the archive it reads.
class ResultStore {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{32} << 20;

  explicit ResultStore(std::size_t budget = kDefaultBudget);
  ResultStore(ResultStore&&) noexcept;
  ResultStore& operator=(ResultStore&&) noexcept;
  ~ResultStore();

  [[nodiscard]] std::size_t size() const { return held_.size() + aside_.size(); }
  void Add(ReportResult result);
  // Changes a result where it is kept.
  void Change(std::size_t index, const std::function<void(ReportResult&)>& change);

  // A result as it is shown: where it is held, or read back for as long as this lasts.
  class Shown {
   public:
    const ReportResult& operator*() const { return *result_; }
    const ReportResult* operator->() const { return result_; }
    [[nodiscard]] const ReportResult* get() const { return result_; }

   private:
    friend class ResultStore;
    const ReportResult* result_ = nullptr;
    std::unique_ptr<ReportResult> readBack_;
  };
  // Safe from several threads at once while none adds or changes a result.
  [[nodiscard]] Shown Get(std::size_t index) const;

  // The labels of the results put aside, each kept as its number.
  struct Labels {
    std::vector<const MeasurementLabel*> list;
    std::map<const MeasurementLabel*, std::uint64_t> numbers;
  };

 private:
  struct Aside {
    std::uint64_t offset, size;
  };
  void PutAside(const ReportResult& result, Aside& at);
  ReportResult ReadBack(const Aside& at) const;

  std::size_t budget_, heldBytes_ = 0;
  std::deque<ReportResult> held_;
  std::vector<Aside> aside_;
  Labels labels_;
  // The file the results beyond the budget are put in, made when the first one is.
  struct File;
  std::unique_ptr<File> file_;
};

}  // namespace Dexal
