// Shared play: the connection to the relay server, the messages and the chat.
#include "form1.h"

#include <QTcpSocket>

void Form1::SendNote(qint16) {}
void Form1::SendNoteText(const QString&) {}
void Form1::SendChatLine(const QString&) {}
void Form1::SendJoinNotice() {}
void Form1::wsk_DataArrival() {}
void Form1::Command1_Click() {}
void Form1::StatusBar1_PanelDblClick() {}
void Form1::mnufileConnect_Click() {}
void Form1::wsk_Connect() {}
void Form1::wsk_Error() {}
void Form1::Label1_Click() {}
bool Form1::txtSend_KeyPress(int)
{
    return false;
}
void Form1::mnuserv_Click() {}

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
