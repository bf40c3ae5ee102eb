#pragma once
// The picture generator: every bitmap the program ships (style strips,
// buttons, wheels, digits, backgrounds, the splash) is drawn here with
// QPainter at build time. Each family of pictures registers a painter with
// VS_ART; the generator runs them all into the data folder.

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace vs::art {

// The one colour that means "transparent" in every shipped bitmap.
inline constexpr QRgb KeyColour = 0xFFFF00FF;

struct TArtContext {
  // The data folder (AppPath), ending in "/".
  QString DataDir;
  // Writes a picture as a 24-bit BMP under DataDir (folders made as needed);
  // false and a message on standard error when it can't.
  bool SaveBmp(const QImage& image, const QString& relativePath) const;
  // Writes any other file (config texts, JPEG) under DataDir.
  bool SaveBytes(const QByteArray& bytes, const QString& relativePath) const;
};

using TArtPainter = std::function<bool(const TArtContext&)>;

struct TArtFamily {
  const char* Name;
  TArtPainter Paint;
};

std::vector<TArtFamily>& ArtFamilies();

struct TArtRegistrar {
  TArtRegistrar(const char* name, TArtPainter paint) { ArtFamilies().push_back({name, std::move(paint)}); }
};

}  // namespace vs::art

#define VS_ART_CONCAT2(a, b) a##b
#define VS_ART_CONCAT(a, b) VS_ART_CONCAT2(a, b)
// VS_ART("wheels", [](const TArtContext& c) { ...; return true; });
#define VS_ART(name, painter) \
  static ::vs::art::TArtRegistrar VS_ART_CONCAT(vsArtRegistrar_, __LINE__)(name, painter)
