#include "kvrToolLibrary.h"

#include <cstdarg>
#include <cstdio>

namespace Kalvora {
namespace Tool {

namespace {

std::vector<std::string>& collected() {
  static std::vector<std::string> reports;
  return reports;
}

void collectReport(const char*, const char* format, va_list args) {
  char message[2048];
  std::vsnprintf(message, sizeof message, format, args);
  collected().push_back(message);
}

PipelineParameter* findRecord(Kalvora& core, unsigned int id) {
  PipelineParameter* const* parameters = core.getParameters();
  for (int i = 0; i < core.getNumParameters(); ++i)
    if (parameters[i] && parameters[i]->id == id) return parameters[i];
  return nullptr;
}

}  // namespace

ReportCollector::ReportCollector() : previous_(setErrorHandler(collectReport)) {}

ReportCollector::~ReportCollector() { setErrorHandler(previous_); }

const std::vector<std::string>& ReportCollector::reports() { return collected(); }

void ReportCollector::clear() { collected().clear(); }

void failWithReport(ErrorCode code, size_t reportsBefore) {
  const std::vector<std::string>& reports = collected();
  throw LibraryError(
      code, reports.size() > reportsBefore ? reports.back() : "the library reported a failure");
}

void checkGood(const Kalvora& core, const char* what) {
  if (core.good()) return;
  const std::vector<std::string>& reports = collected();
  throw LibraryError(kUnknownError,
                     reports.empty() ? std::string(what) + " could not be set up" : reports.back());
}

void checkSettings(Kalvora& core, const std::vector<ParamSetting>& settings) {
  for (const ParamSetting& setting : settings) {
    const unsigned int id = setting.param->id;
    const std::string name = setting.param->name;
    const PipelineParameter* record = findRecord(core, id);
    if (!record) throw UsageError("parameter " + name + " is unknown to this core");
    if (record->readOnly) throw UsageError("parameter " + name + " is derived and read-only");
    if (!(record->minimum <= setting.value && setting.value <= record->maximum))
      throw UsageError(name + " " + formatNumber(setting.value) +
                       " is out of range (accepted: " + formatNumber(record->minimum) + " to " +
                       formatNumber(record->maximum) + ")");
  }
}

void applySettings(Kalvora& core, const std::vector<ParamSetting>& settings) {
  for (const ParamSetting& setting : settings)
    call([&] { return core.setParam(setting.param->id, setting.value); });
}

std::string describeSettings(const std::vector<ParamSetting>& settings) {
  std::string text;
  for (const ParamSetting& setting : settings) {
    if (!text.empty()) text += ", ";
    text += std::string(setting.param->name) + "=" + formatNumber(setting.value);
  }
  return text;
}

}  // namespace Tool
}  // namespace Kalvora
