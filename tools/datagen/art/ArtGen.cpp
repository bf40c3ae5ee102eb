#include "tools/datagen/art/ArtGen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

namespace vs::art {

std::vector<TArtFamily>& ArtFamilies() {
  static std::vector<TArtFamily> families;
  return families;
}

namespace {

bool MakeFolderFor(const QString& path) {
  return QDir().mkpath(QFileInfo(path).absolutePath());
}

}  // namespace

bool TArtContext::SaveBmp(const QImage& image, const QString& relativePath) const {
  const QString path = DataDir + relativePath;
  if (!MakeFolderFor(path)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      !image.convertToFormat(QImage::Format_RGB888).save(&file, "BMP") || !file.commit()) {
    std::fprintf(stderr, "vs_artgen: can't write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool TArtContext::SaveBytes(const QByteArray& bytes, const QString& relativePath) const {
  const QString path = DataDir + relativePath;
  if (!MakeFolderFor(path)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    std::fprintf(stderr, "vs_artgen: can't write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace vs::art
