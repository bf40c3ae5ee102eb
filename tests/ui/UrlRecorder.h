#pragma once
// Records the addresses the desktop is asked to open: install it with
// QDesktopServices::setUrlHandler(scheme, &recorder, "Open").

#include <QObject>
#include <QUrl>
#include <vector>

namespace vs {

class TUrlRecorder : public QObject {
  Q_OBJECT

public:
  std::vector<QUrl> Opened;
public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

}  // namespace vs
