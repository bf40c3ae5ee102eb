#pragma once
// The main window's end of the outside wave editor's hand-over (see
// core/WaveEditorLink.h): a local server on the user's socket that reads
// each connection's request lines, loads the file into the selected
// channel, tells the info bar and answers the editor.

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace vs {

class TWaveEditorServer : public QObject {
  Q_OBJECT

public:
  explicit TWaveEditorServer(QObject* parent = nullptr);
  ~TWaveEditorServer() override;

  // Listens on the path; a socket left there by a copy of the program that
  // ended is replaced, one that answers is not. False when it can't.
  bool Listen(const std::string& path);
  std::string Path() const { return FPath; }

  // A file was loaded: the info text ("Received kick.wav").
  std::function<void(const std::string& info)> OnReceived;
  // Runs after a load: the views of the channel follow.
  std::function<void()> AfterLoad;

private:
  void Serve(QLocalSocket* socket);

  QLocalServer* Server = nullptr;
  std::string FPath;
};

}  // namespace vs
