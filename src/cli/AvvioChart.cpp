#include "AvvioChart.h"

#include "Comune.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#ifndef MARVENTO_LIBEXEC_RELATIVO
#define MARVENTO_LIBEXEC_RELATIVO "../libexec/marvento"
#endif

namespace marvento::cli {

namespace {

// Next to marvento-cli (a build tree, a Windows folder), else where the installation keeps it.
QString ProgrammaChart()
{
    const QString nome = QStringLiteral("marvento-cli-chart")
#ifdef _WIN32
                         + QStringLiteral(".exe")
#endif
        ;
    const QDir qui(QCoreApplication::applicationDirPath());
    const QString accanto = qui.filePath(nome);
    if (QFileInfo(accanto).isFile())
        return accanto;
    return QDir::cleanPath(qui.filePath(QStringLiteral(MARVENTO_LIBEXEC_RELATIVO) + QLatin1Char('/') + nome));
}

} // namespace

int AvviaChart(int argc, char** argv)
{
    QCoreApplication applicazione(argc, argv);
    const QString programma = ProgrammaChart();
#ifndef _WIN32
    const QByteArray percorso = QFile::encodeName(programma);
    std::vector<char*> argomenti(argv, argv + argc);
    argomenti.push_back(nullptr);
    execv(percorso.constData(), argomenti.data());
    const std::string perche = std::strerror(errno);
#else
    QProcess processo;
    processo.setProcessChannelMode(QProcess::ForwardedChannels);
    processo.setInputChannelMode(QProcess::ForwardedInputChannel);
    processo.start(programma, QCoreApplication::arguments().mid(1));
    if (processo.waitForStarted(-1)) {
        processo.waitForFinished(-1);
        if (processo.exitStatus() == QProcess::NormalExit)
            return processo.exitCode();
        StampaMessaggio("Il programma del comando chart si e' interrotto: " +
                        QDir::toNativeSeparators(programma).toStdString());
        return kUscitaErrore;
    }
    const std::string perche = processo.errorString().toStdString();
#endif
    StampaMessaggio("Impossibile avviare il programma del comando chart (" +
                    QDir::toNativeSeparators(programma).toStdString() + "): " + perche);
    return kUscitaErrore;
}

} // namespace marvento::cli
