#include "ui/WaveEditorServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <memory>

#include "core/WaveEditorLink.h"
#include "model/Song.h"

namespace vs {

TWaveEditorServer::TWaveEditorServer(QObject* parent) : QObject(parent), Server(new QLocalServer(this)) {
  Server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(Server, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = Server->nextPendingConnection()) Serve(socket);
  });
}

TWaveEditorServer::~TWaveEditorServer() {
  if (Server->isListening()) Server->close();
}

bool TWaveEditorServer::Listen(const std::string& path) {
  if (path.empty()) return false;
  const QString name = QString::fromStdString(path);
  FPath = path;
  // Another copy of the program answers there: it keeps the socket.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(250)) return false;
  // A socket left by a copy that ended without closing it.
  QLocalServer::removeServer(name);
  return Server->listen(name);
}

void TWaveEditorServer::Serve(QLocalSocket* socket) {
  // The connection's unread bytes go with the connection: its reader holds
  // them, and the reader goes when the socket or this server goes first.
  auto received = std::make_shared<std::string>();
  connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
    const QByteArray bytes = socket->readAll();
    received->append(bytes.constData(), size_t(bytes.size()));
    bool tooLong = false;
    while (std::optional<std::string> path = TakeWaveEditorRequest(*received, tooLong)) {
      const TWaveEditorAnswer answer = ReceiveWaveEditorFile(CurrentSong(), *path);
      socket->write(QByteArray::fromStdString(answer.Reply + "\n"));
      if (!answer.Loaded) continue;
      if (AfterLoad) AfterLoad();
      if (OnReceived) OnReceived(answer.Info);
    }
    if (tooLong) {
      socket->write("ERROR the file name is too long\n");
      socket->disconnectFromServer();
    }
  });
}

}  // namespace vs
