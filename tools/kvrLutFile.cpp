#include "kvrLutFile.h"

#include <OpenColorIO/OpenColorIO.h>

#include <sstream>

#include "kvrInputFile.h"
#include "kvrLutFunc.h"

namespace OCIO = OCIO_NAMESPACE;

namespace Kalvora {
namespace Tool {

namespace {

constexpr int kMaxCode = 65535;
const char* const kClfFormat = "Academy/ASC Common LUT Format";
const char* const k3dlFormat = "flame";

// OpenColorIO logs warnings to standard error on its own; the tool reports
// failures through its exceptions only.
void quietOcio() { OCIO::SetLoggingLevel(OCIO::LOGGING_LEVEL_NONE); }

// OpenColorIO's messages span several lines; the tool reports one.
std::string oneLine(const std::string& text) {
  std::string line;
  bool space = false;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
      space = !line.empty();
      continue;
    }
    if (space) line += ' ';
    space = false;
    line += c;
  }
  return line;
}

// The grid of the file's first 3-D LUT when it lies in 2..65 points.
int fileGridSize(const OCIO::Processor& processor) {
  const OCIO::ConstGroupTransformRcPtr group = processor.createGroupTransform();
  for (int i = 0; i < group->getNumTransforms(); ++i) {
    const auto lut = OCIO::DynamicPtrCast<const OCIO::Lut3DTransform>(group->getTransform(i));
    if (!lut) continue;
    const unsigned long size = lut->getGridSize();
    if (size >= kMinUserLutSize && size <= kMaxUserLutSize) return static_cast<int>(size);
    break;
  }
  return kDefaultUserLutSize;
}

// The grid points of an n-point table in the library's layout.
std::vector<float> gridInputs(int n) {
  std::vector<float> rgb(3 * static_cast<size_t>(n) * n * n);
  const float step = 1.0f / static_cast<float>(n - 1);
  size_t k = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        rgb[k++] = static_cast<float>(r) * step;
        rgb[k++] = static_cast<float>(g) * step;
        rgb[k++] = static_cast<float>(b) * step;
      }
  return rgb;
}

OCIO::Lut3DTransformRcPtr lutTransform(int size, const double* values) {
  OCIO::Lut3DTransformRcPtr lut = OCIO::Lut3DTransform::Create(static_cast<unsigned long>(size));
  lut->setFileOutputBitDepth(OCIO::BIT_DEPTH_F32);
  const double* v = values;
  for (int r = 0; r < size; ++r)
    for (int g = 0; g < size; ++g)
      for (int b = 0; b < size; ++b, v += 3)
        lut->setValue(r, g, b, static_cast<float>(v[0]), static_cast<float>(v[1]),
                      static_cast<float>(v[2]));
  return lut;
}

}  // namespace

UserLut readUserLut(const std::string& path, int size) {
  const std::string absolute = absoluteInputPath(path);
  quietOcio();
  try {
    OCIO::FileTransformRcPtr file = OCIO::FileTransform::Create();
    file->setSrc(absolute.c_str());
    file->setInterpolation(OCIO::INTERP_BEST);
    const OCIO::ConstProcessorRcPtr processor = OCIO::Config::CreateRaw()->getProcessor(file);
    UserLut lut;
    lut.size = size > 0 ? size : fileGridSize(*processor);
    std::vector<float> rgb = gridInputs(lut.size);
    const long points = static_cast<long>(rgb.size() / 3);
    OCIO::PackedImageDesc image(rgb.data(), points, 1, 3);
    processor->getDefaultCPUProcessor()->apply(image);
    lut.codes.resize(rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i) lut.codes[i] = toCode16(rgb[i], kMaxCode);
    return lut;
  } catch (const OCIO::Exception& e) {
    failInput(path, "not a LUT file OpenColorIO reads: " + oneLine(e.what()));
  }
}

void writeClf(std::string& out, const CubeHeader& header, int size, const double* values) {
  quietOcio();
  OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
  OCIO::FormatMetadata& metadata = group->getFormatMetadata();
  metadata.addAttribute(OCIO::METADATA_ID, "kalvora");
  if (!header.title.empty()) metadata.addAttribute(OCIO::METADATA_NAME, header.title.c_str());
  for (const std::string& comment : header.comments)
    metadata.addChildElement(OCIO::METADATA_DESCRIPTION, comment.c_str());
  group->appendTransform(lutTransform(size, values));
  std::ostringstream text;
  group->write(OCIO::Config::CreateRaw(), kClfFormat, text);
  out += text.str();
}

// The baker samples a processor: a configuration whose display space is
// the table, reached from the log signal as the reference space.
void write3dl(std::string& out, int size, const double* values) {
  quietOcio();
  OCIO::ConfigRcPtr config = OCIO::Config::Create();
  OCIO::ColorSpaceRcPtr log = OCIO::ColorSpace::Create();
  log->setName("log");
  config->addColorSpace(log);
  config->setRole(OCIO::ROLE_REFERENCE, "log");
  OCIO::ColorSpaceRcPtr display = OCIO::ColorSpace::Create();
  display->setName("display");
  display->setTransform(lutTransform(size, values), OCIO::COLORSPACE_DIR_FROM_REFERENCE);
  config->addColorSpace(display);

  OCIO::BakerRcPtr baker = OCIO::Baker::Create();
  baker->setConfig(config);
  baker->setFormat(k3dlFormat);
  baker->setInputSpace("log");
  baker->setTargetSpace("display");
  baker->setCubeSize(size);
  std::ostringstream text;
  baker->bake(text);
  out += text.str();
}

}  // namespace Tool
}  // namespace Kalvora
