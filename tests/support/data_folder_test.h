#pragma once
// One client whose client folder and data folder are the same temporary
// folder, with scripted messages: the common ground of the storage tests.

#include "storage/dolvb.h"
#include "storage/files.h"

#include "scripted_messages.h"
#include "temp_folder.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kpv::testing {

// The bytes of a file (empty when it cannot be read).
inline QByteArray fileBytes(const QString &path)
{
    QByteArray b;
    readWholeFile(path, b);
    return b;
}

struct DataFolderTest : ::testing::Test {
    QTemporaryDir tmp;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb db{messages, pointer};
    QString data;

    void SetUp() override
    {
        data = withSlash(tmp.path());
        db.clientFolder = db.dataFolder = data;
        db.clientSettings.set(1, data);
    }
};

} // namespace kpv::testing
