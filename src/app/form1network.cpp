// Shared play: the window's side of the session with the relay server, and the chat.
#include "form1.h"

#include "chattranscript.h"
#include "contact.h"
#include "datafolder.h"
#include "desktop.h"
#include "filepresent.h"
#include "pianokey.h"
#include "sharedplaysession.h"
#include "widgets.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

void Form1::connectSession()
{
    // The session outlives the controls: a restart of the window leaves it and
    // keeps it.
    connect(session_.get(), &SharedPlaySession::connected, this, &Form1::wsk_Connect);
    connect(session_.get(), &SharedPlaySession::failed, this, &Form1::wsk_Error);
    connect(session_.get(), &SharedPlaySession::noteReceived, this,
            qOverload<qint16>(&Form1::wsk_DataArrival));
    connect(session_.get(), &SharedPlaySession::chatReceived, this,
            qOverload<const QString&>(&Form1::wsk_DataArrival));
}

bool Form1::connected() const
{
    return session_->isConnected();
}

QString Form1::serverAddress() const
{
    return session_->serverAddress();
}

void Form1::SendNote(qint16 keyIndex)
{
    session_->sendNote(keyIndex);
}

void Form1::SendChatLine(const QString& text)
{
    session_->sendChatLine(text);
}

void Form1::wsk_DataArrival(qint16 keyIndex)
{
    showChatArea();
    PlayKey(keyIndex);
    ReleaseKey(keyIndex);
    c_.instru->setText(QStringLiteral("Shared Music Play"));
}

void Form1::wsk_DataArrival(const QString& chatLine)
{
    showChatArea();
    chattranscript::addOnTop(*c_.txtRx->document(), chatLine);
    c_.instru->setText(QStringLiteral("Shared Music Play"));
}

void Form1::showChatArea()
{
    c_.txtRx->show();
    c_.txtSend->show();
    c_.Label1->show();
}

void Form1::Command1_Click()
{
    session_->connectTo(
        services_.desktop->askText(this, QStringLiteral("Please enter the Server's IP address")));
    c_.Command1->setEnabled(session_->isIdle());
}

void Form1::StatusBar1_PanelDblClick()
{
    if (session_->isIdle()) {
        Command1_Click();
    }
}

void Form1::mnufileConnect_Click()
{
    if (session_->isIdle()) {
        Command1_Click();
    } else if (session_->isConnected()) {
        session_->leave();
        c_.Command1->setEnabled(true);
        workOffline();
    }
}

void Form1::wsk_Connect()
{
    c_.instru->setText(QStringLiteral("Connected to Server"));
}

void Form1::wsk_Error()
{
    c_.Command1->setEnabled(true);
    c_.instru->setText(QStringLiteral("Connection failed."));
}

void Form1::workOffline()
{
    focusKeysInsteadOf(c_.txtSend);
    c_.txtSend->hide();
    c_.txtRx->hide();
    c_.Label1->hide();
    c_.instru->setText(QStringLiteral("Now Working Offline"));
}

void Form1::focusKeysInsteadOf(QWidget* leaving)
{
    // A control that is disabled or hidden hands the focus on to the next one, the
    // instrument bar, whose focus lights the instrument label; playing goes on at
    // the keys instead.
    if (focusWidget() == leaving) {
        c_.keys[0]->setFocus();
    }
}

void Form1::Label1_Click()
{
    if (c_.txtSend->isEnabled()) {
        focusKeysInsteadOf(c_.txtSend);
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
        if (session_->isConnected()) {
            SendChatLine(c_.txtSend->text());
            c_.txtSend->clear();
        } else {
            workOffline();
        }
        return true;
    }
    return false;
}

QString Form1::serverProgram() const
{
    // The server program may be put in the data folder or beside the piano.
    for (const QString& folder : {services_.dataFolder, services_.programFolder}) {
        const QString program = programFile(folder, QStringLiteral("trelvane"));
        if (FilePresent(program)) {
            return program;
        }
    }
    return {};
}

void Form1::mnuserv_Click()
{
    const QString program = serverProgram();
    if (!program.isEmpty() && c_.mnuserv->isEnabled()) {
        services_.desktop->startProgram(program);
        c_.mnuserv->setEnabled(false);
        return;
    }
    services_.desktop->showMessage(
        this, QStringLiteral("Please download server extra pack. For help contact ") +
                  QString::fromLatin1(makerContactAddress));
}
