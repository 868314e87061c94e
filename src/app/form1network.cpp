// Shared play: the connection to the relay server, the messages and the chat.
#include "form1.h"

#include "chattranscript.h"
#include "contact.h"
#include "datafolder.h"
#include "desktop.h"
#include "filepresent.h"
#include "widgets.h"
#include "wiremessages.h"

#include <QAction>
#include <QHostInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>

int Form1::socketState() const
{
    switch (c_.wsk ? c_.wsk->state() : QAbstractSocket::UnconnectedState) {
    case QAbstractSocket::UnconnectedState:
        return 0;
    case QAbstractSocket::BoundState:
        return 1;
    case QAbstractSocket::ListeningState:
        return 2;
    case QAbstractSocket::HostLookupState:
        return 4;
    case QAbstractSocket::ConnectingState:
        return 6;
    case QAbstractSocket::ConnectedState:
        return 7;
    case QAbstractSocket::ClosingState:
        return 8;
    }
    return 9;
}

void Form1::sendMessage(const QByteArray& message)
{
    // Each message leaves at once, in a send of its own: a receiver takes one read as
    // one message, so two messages must not travel together.
    c_.wsk->write(message);
    c_.wsk->flush();
}

void Form1::SendNote(qint16 keyIndex)
{
    sendMessage(wire::noteMessage(keyIndex));
}

void Form1::SendNoteText(const QString& keyLine)
{
    sendMessage(wire::noteMessage(keyLine));
}

void Form1::SendChatLine(const QString& text)
{
    sendMessage(wire::chatMessage(QHostInfo::localHostName(), text));
}

void Form1::SendJoinNotice()
{
    sendMessage(wire::joinNotice(serverAddress_));
}

void Form1::wsk_DataArrival()
{
    c_.txtRx->show();
    c_.txtSend->show();
    c_.Label1->show();
    const wire::Received message = wire::parse(c_.wsk->readAll());
    if (message.kind == wire::Received::Kind::Chat) {
        chattranscript::addOnTop(*c_.txtRx->document(), message.chatLine);
    } else if (message.kind == wire::Received::Kind::Note) {
        PlayKey(message.keyIndex);
        ReleaseKey(message.keyIndex);
    }
    c_.instru->setText(QStringLiteral("Shared Music Play"));
}

void Form1::Command1_Click()
{
    const QString address =
        services_.desktop->askText(this, QStringLiteral("Please enter the Server's IP address"));
    serverAddress_ = address;
    c_.wsk->abort();
    c_.wsk->connectToHost(address, services_.serverPort);
    c_.Command1->setEnabled(false);
}

void Form1::StatusBar1_PanelDblClick()
{
    if (c_.Command1->isEnabled()) {
        Command1_Click();
    }
}

void Form1::mnufileConnect_Click()
{
    if (c_.Command1->isEnabled()) {
        if (socketState() == 0) {
            Command1_Click();
        } else {
            c_.wsk->abort();
        }
        return;
    }
    if (socketState() == 7) {
        c_.wsk->abort();
        c_.Command1->setEnabled(true);
        c_.txtSend->hide();
        c_.txtRx->hide();
        c_.Label1->hide();
        c_.instru->setText(QStringLiteral("Now Working Offline"));
    }
}

void Form1::wsk_Connect()
{
    // Every message is written at once, never held back to be joined with the next.
    c_.wsk->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    c_.instru->setText(QStringLiteral("Connected to Server"));
    SendJoinNotice();
}

void Form1::wsk_Error()
{
    // Also reached when the server closes the connection: the window is idle again
    // and a new connection can be made.
    c_.wsk->abort();
    c_.Command1->setEnabled(true);
    c_.instru->setText(QStringLiteral("Connection failed."));
}

void Form1::Label1_Click()
{
    if (c_.txtSend->isEnabled()) {
        c_.txtSend->setEnabled(false);
        c_.Label1->setText(QStringLiteral("Send:"));
    } else {
        c_.txtSend->setEnabled(true);
        c_.txtSend->setFocus();
        c_.Label1->setText(QStringLiteral("Disable:"));
    }
}

bool Form1::txtSend_KeyPress(int keyAscii)
{
    if (keyAscii == 27) {
        Label1_Click();
        return true;
    }
    if (keyAscii == 13) {
        if (socketState() == 7) {
            SendChatLine(c_.txtSend->text());
            c_.txtSend->clear();
        } else {
            c_.txtSend->hide();
            c_.txtRx->hide();
            c_.Label1->hide();
            c_.instru->setText(QStringLiteral("Now Working Offline"));
        }
        return true;
    }
    return false;
}

void Form1::mnuserv_Click()
{
    // The server program may be put in the data folder or beside the piano.
    QString program = programFile(services_.dataFolder, QStringLiteral("trelvane"));
    if (!FilePresent(program)) {
        program = programFile(services_.programFolder, QStringLiteral("trelvane"));
    }
    if (FilePresent(program) && c_.mnuserv->isEnabled()) {
        services_.desktop->startProgram(program);
        c_.mnuserv->setEnabled(false);
        return;
    }
    services_.desktop->showMessage(
        this, QStringLiteral("Please download server extra pack. For help contact ") +
                  QString::fromLatin1(makerContactAddress));
}
