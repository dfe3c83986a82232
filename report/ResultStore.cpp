#include "report/ResultStore.h"

#include <array>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/OsError.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

// A result's texts of its own (not its measurements' or conflicts'), the same for a result
// being read back as for one being written.
template <typename Result>
auto TextsOf(Result& r) {
  return std::array{&r.testerSerial, &r.assetId, &r.assetMake, &r.assetModel,
                    &r.assetSerial,  &r.date,    &r.testType,  &r.comment,
                    &r.status.text,  &r.plot,    &r.plotFile,  &r.source};
}

// What a result takes in memory, near enough: itself and the texts beyond its strings' own room.
std::size_t BytesOf(const ReportResult& r) {
  const auto text = [](const std::string& s) { return s.capacity() > 15 ? s.capacity() : 0; };
  std::size_t bytes = sizeof r + r.measurements.capacity() * sizeof(ReportMeasurement);
  for (const std::string* s : TextsOf(r)) bytes += text(*s);
  for (const ReportMeasurement& m : r.measurements) bytes += text(m.value);
  for (const std::string& c : r.conflicts) bytes += sizeof(std::string) + text(c);
  return bytes;
}

// A result as bytes, and back. The labels are the model's own, which outlive its results: each
// is kept as its number in the store's list of them.
class Bytes {
 public:
  explicit Bytes(std::string& out) : out_(&out) {}
  explicit Bytes(std::string_view in) : in_(in) {}

  void Put(std::uint64_t n) { out_->append(reinterpret_cast<const char*>(&n), sizeof n); }
  void Put(const std::string& s) {
    Put(s.size());
    out_->append(s);
  }
  std::uint64_t Number() {
    std::uint64_t n = 0;
    std::memcpy(&n, Take(sizeof n).data(), sizeof n);
    return n;
  }
  std::string Text() { return std::string(Take(Number())); }

 private:
  std::string_view Take(std::uint64_t n) {
    if (n > in_.size()) throw std::runtime_error("a result put aside was read back short");
    const std::string_view taken = in_.substr(0, n);
    in_.remove_prefix(n);
    return taken;
  }
  std::string* out_ = nullptr;
  std::string_view in_;
};

void Write(Bytes& b, const ReportResult& r, ResultStore::Labels& labels) {
  b.Put(r.position);
  for (const std::string* s : TextsOf(r)) b.Put(*s);
  b.Put(static_cast<std::uint64_t>(r.status.kind));
  b.Put(r.measurements.size());
  for (const ReportMeasurement& m : r.measurements) {
    const auto [at, added] = labels.numbers.emplace(m.label, labels.list.size());
    if (added) labels.list.push_back(m.label);
    b.Put(at->second);
    b.Put(m.value);
    b.Put(m.isNumber ? 1 : 0);
  }
  b.Put((r.carriesPulse ? 1 : 0) | (r.graphPoints ? 2 : 0));
  b.Put(r.sourceIndex);
  b.Put(r.line);
  b.Put(r.conflicts.size());
  for (const std::string& c : r.conflicts) b.Put(c);
}

ReportResult Read(Bytes& b, const ResultStore::Labels& labels) {
  ReportResult r;
  r.position = b.Number();
  for (std::string* s :
       {&r.testerSerial, &r.assetId, &r.assetMake, &r.assetModel, &r.assetSerial, &r.date,
        &r.testType, &r.comment, &r.status.text, &r.plot, &r.plotFile, &r.source}) {
    *s = b.Text();
  }
  r.status.kind = static_cast<DexalVerdict::Kind>(b.Number());
  r.measurements.resize(b.Number());
  for (ReportMeasurement& m : r.measurements) {
    m.label = labels.list.at(b.Number());
    m.value = b.Text();
    m.isNumber = b.Number() != 0;
  }
  const std::uint64_t flags = b.Number();
  r.carriesPulse = (flags & 1) != 0;
  r.graphPoints = (flags & 2) != 0;
  r.sourceIndex = b.Number();
  r.line = b.Number();
  r.conflicts.resize(b.Number());
  for (std::string& c : r.conflicts) c = b.Text();
  return r;
}

}  // namespace

// A file of the system's temporary folder that only this user may read: removed as soon as it
// is open where the system lets an open file go (POSIX), else when the store ends.
struct ResultStore::File {
  std::filesystem::path path;
  std::fstream stream;
  std::mutex mutex;  // one reader or writer at a time
  std::uint64_t end = 0;

  File() {
    std::random_device random;
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    std::uint32_t osError = 0;
    bool made = false;
    for (int tries = 0; tries < 100 && !made; ++tries) {
      path = folder / ("dexal-report-" + std::to_string(random()) + ".tmp");
      made = MakePrivateFile(path, osError);
      std::error_code none;
      if (!made && !std::filesystem::exists(path, none)) break;  // not for want of a free name
    }
    if (!made) Fail(OsErrorReason(osError));
    stream.open(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!stream.is_open()) Fail(OsErrorReason(LastOsError()));
    std::error_code notYet;
    std::filesystem::remove(path, notYet);
  }
  ~File() {
    stream.close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  [[noreturn]] void Fail(const std::string& reason) const {
    throw std::runtime_error(Utf8FromPath(path) + ": cannot keep the results there (" + reason +
                             ")");
  }
};

ResultStore::ResultStore(std::size_t budget) : budget_(budget) {}
ResultStore::ResultStore(ResultStore&&) noexcept = default;
ResultStore& ResultStore::operator=(ResultStore&&) noexcept = default;
ResultStore::~ResultStore() = default;

void ResultStore::Add(ReportResult result) {
  const std::size_t bytes = BytesOf(result);
  if (aside_.empty() && heldBytes_ + bytes <= budget_) {
    heldBytes_ += bytes;
    held_.push_back(std::move(result));
    return;
  }
  PutAside(result, aside_.emplace_back());
}

void ResultStore::Change(std::size_t index, const std::function<void(ReportResult&)>& change) {
  if (index < held_.size()) {
    change(held_[index]);
    return;
  }
  Aside& at = aside_[index - held_.size()];
  ReportResult result = ReadBack(at);
  change(result);
  PutAside(result, at);  // at the end; the former bytes are left unused
}

ResultStore::Shown ResultStore::Get(std::size_t index) const {
  Shown shown;
  if (index < held_.size()) {
    shown.result_ = &held_[index];
  } else {
    shown.readBack_ = std::make_unique<ReportResult>(ReadBack(aside_[index - held_.size()]));
    shown.result_ = shown.readBack_.get();
  }
  return shown;
}

void ResultStore::PutAside(const ReportResult& result, Aside& at) {
  if (!file_) file_ = std::make_unique<File>();
  std::string bytes;
  Bytes out(bytes);
  Write(out, result, labels_);
  const std::lock_guard lock(file_->mutex);
  file_->stream.seekp(static_cast<std::streamoff>(file_->end));
  file_->stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file_->stream) file_->Fail(OsErrorReason(LastOsError()));
  at = {file_->end, bytes.size()};
  file_->end += bytes.size();
}

ReportResult ResultStore::ReadBack(const Aside& at) const {
  std::string bytes(at.size, '\0');
  {
    const std::lock_guard lock(file_->mutex);
    file_->stream.seekg(static_cast<std::streamoff>(at.offset));
    file_->stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file_->stream) file_->Fail(OsErrorReason(LastOsError()));
  }
  Bytes in{std::string_view(bytes)};
  return Read(in, labels_);
}

}  // namespace Dexal
