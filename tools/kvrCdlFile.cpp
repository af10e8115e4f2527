#include "kvrCdlFile.h"

#include <OpenColorIO/OpenColorIO.h>

#include <cstdio>
#include <cstdlib>

#include "kvrInputFile.h"

namespace OCIO = OCIO_NAMESPACE;

namespace Kalvora {
namespace Tool {

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The shortest decimal that reads back as the same double.
std::string exactNumber(double value) {
  char text[32];
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

std::string triple(const double (&values)[3]) {
  return exactNumber(values[0]) + " " + exactNumber(values[1]) + " " + exactNumber(values[2]);
}

// Characters with a meaning in XML, as entities.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

std::string correction(const CdlValues& cdl, const std::string& id, const std::string& description,
                       const std::string& indent) {
  const std::string in = indent + "  ";
  std::string xml = indent + "<ColorCorrection id=\"" + escaped(id) + "\">\n";
  if (!description.empty()) xml += in + "<Description>" + escaped(description) + "</Description>\n";
  xml += in + "<SOPNode>\n";
  xml += in + "  <Slope>" + triple(cdl.slope) + "</Slope>\n";
  xml += in + "  <Offset>" + triple(cdl.offset) + "</Offset>\n";
  xml += in + "  <Power>" + triple(cdl.power) + "</Power>\n";
  xml += in + "</SOPNode>\n";
  xml += in + "<SatNode>\n";
  xml += in + "  <Saturation>" + exactNumber(cdl.saturation) + "</Saturation>\n";
  xml += in + "</SatNode>\n";
  xml += indent + "</ColorCorrection>\n";
  return xml;
}

}  // namespace

bool cdlFormatOf(const std::string& path, CdlFormat& format) {
  if (endsWith(path, ".cc"))
    format = CdlFormat::kCc;
  else if (endsWith(path, ".ccc"))
    format = CdlFormat::kCcc;
  else if (endsWith(path, ".cdl"))
    format = CdlFormat::kCdl;
  else
    return false;
  return true;
}

CdlValues readCdlFile(const std::string& path, const std::string& id) {
  const std::string absolute = absoluteInputPath(path);
  OCIO::SetLoggingLevel(OCIO::LOGGING_LEVEL_NONE);
  CdlValues cdl;
  try {
    const OCIO::CDLTransformRcPtr transform =
        OCIO::CDLTransform::CreateFromFile(absolute.c_str(), id.c_str());
    transform->getSlope(cdl.slope);
    transform->getOffset(cdl.offset);
    transform->getPower(cdl.power);
    cdl.saturation = transform->getSat();
  } catch (const OCIO::Exception& e) {
    std::string message = e.what();
    for (char& c : message)
      if (c == '\n') c = ' ';
    failInput(path, "not an ASC CDL that OpenColorIO reads: " + message);
  }
  return cdl;
}

std::string cdlXml(const CdlValues& cdl, CdlFormat format, const std::string& id,
                   const std::string& description) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const char* const kNamespace = " xmlns=\"urn:ASC:CDL:v1.01\"";
  switch (format) {
    case CdlFormat::kCc: {
      // The correction is the root element and carries the namespace.
      const std::string root = "<ColorCorrection";
      xml += root + kNamespace + correction(cdl, id, description, "").substr(root.size());
      break;
    }
    case CdlFormat::kCcc:
      xml += "<ColorCorrectionCollection" + std::string(kNamespace) + ">\n";
      xml += correction(cdl, id, description, "  ");
      xml += "</ColorCorrectionCollection>\n";
      break;
    case CdlFormat::kCdl:
      xml += "<ColorDecisionList" + std::string(kNamespace) + ">\n";
      xml += "  <ColorDecision>\n";
      xml += correction(cdl, id, description, "    ");
      xml += "  </ColorDecision>\n";
      xml += "</ColorDecisionList>\n";
      break;
  }
  return xml;
}

}  // namespace Tool
}  // namespace Kalvora
