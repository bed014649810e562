#include "ui/platform/SecretKeyring.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QHash>

namespace {

const QString kService = QStringLiteral("Quillo");

// The secrets of this run, by key; never written anywhere.
QHash<QString, QString>& RunCopy() {
    static QHash<QString, QString> secrets;
    return secrets;
}

// A job outlives the object that asked for it (the application owns it and deletes it when it
// is done); its answer reaches the asker only while the asker is there.
template <class Job, class Done>
Job* Make(CSecretKeyring* asker, const QString& key, Done done) {
    auto* job = new Job(kService, QCoreApplication::instance());
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, asker,
                     [done](QKeychain::Job* finished) { done(*static_cast<Job*>(finished)); });
    return job;
}

bool Reached(const QKeychain::Job& job) {
    return job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
}

}  // namespace

CSecretKeyring::CSecretKeyring(QObject* parent) : QObject(parent) {}

const QString& CSecretKeyring::NoKeyringNote() {
    static const QString note = QStringLiteral("No keyring: the secret is kept for this run only");
    return note;
}

void CSecretKeyring::Read(const QString& key) {
    Make<QKeychain::ReadPasswordJob>(this, key, [this, key](QKeychain::ReadPasswordJob& job) {
        // Without a keyring the run's copy answers; a keyring that has none has none.
        const bool reached = Reached(job);
        emit readDone(key, reached ? job.textData() : RunCopy().value(key), reached);
    })->start();
}

void CSecretKeyring::Store(const QString& key, const QString& secret) {
    RunCopy().insert(key, secret);
    auto* job = Make<QKeychain::WritePasswordJob>(
        this, key, [this, key](QKeychain::WritePasswordJob& done) {
            emit storeDone(key, done.error() == QKeychain::NoError);
        });
    job->setTextData(secret);
    job->start();
}

void CSecretKeyring::Remove(const QString& key) {
    RunCopy().remove(key);
    Make<QKeychain::DeletePasswordJob>(this, key, [this, key](QKeychain::DeletePasswordJob& job) {
        emit removeDone(key, Reached(job));
    })->start();
}
