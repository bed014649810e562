#pragma once
// CSecretKeyring: the web route's secret in the desktop's keyring (the Secret Service), under
// the service "Quillo" and a key naming the preset and the account. Every call answers later
// with a signal. The run keeps its own copy as well, so that without a keyring (no Secret
// Service, or it refuses) the secret still serves until Quillo closes, and a job still running
// when its dialog closes loses nothing.

#include <QObject>
#include <QString>

class CSecretKeyring : public QObject {
    Q_OBJECT

public:
    explicit CSecretKeyring(QObject* parent);

    void Read(const QString& key);
    void Store(const QString& key, const QString& secret);
    void Remove(const QString& key);

    static const QString& NoKeyringNote();

signals:
    // `inKeyring` is false when the keyring could not be asked and the run's copy answered; a
    // secret the keyring does not hold reads as empty.
    void readDone(const QString& key, const QString& secret, bool inKeyring);
    void storeDone(const QString& key, bool inKeyring);
    void removeDone(const QString& key, bool inKeyring);
};
