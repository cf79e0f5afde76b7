#pragma once
// Writes diagram objects in both record forms and reads them back, for the vertex and edge tests.

#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"
#include "TestFiles.h"

#include <memory>
#include <string>
#include <vector>

class TRecordTest : public TScratchDirTest {
protected:
    std::string TextOf(TKXObject &object)
    {
        TKXTextFile file;
        file.Create(Path("out.txt"));
        object.WriteToText(file);
        file.Close();
        return ReadFileText(Path("out.txt"));
    }
    static TBytes BytesOfRecord(TKXObject &object)
    {
        TKXMemoryStream stream;
        TValueWriter writer(stream, 128);
        object.WriteToStream(writer);
        writer.FlushBuffer();
        return stream.Bytes();
    }
    // Reads from the start of text; In stays open for what follows the record.
    template <typename T>
    std::unique_ptr<T> FromText(const std::string &text, TObject *data = nullptr)
    {
        In.Close();
        WriteFileBytes(Path("in.txt"), BytesOf(text));
        In.Open(Path("in.txt"));
        return T::CreateFromText(In, Vertices, Edges, data);
    }
    template <typename T>
    std::unique_ptr<T> FromBytes(const TBytes &bytes, TObject *data = nullptr)
    {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 128);
        return T::CreateFromStream(reader, Vertices, Edges, data);
    }

    // The object read back from its text record and from its stream record.
    template <typename T>
    std::vector<std::unique_ptr<T>> ReadBack(TKXObject &object, TObject *data = nullptr)
    {
        std::vector<std::unique_ptr<T>> copies;
        copies.push_back(FromText<T>(TextOf(object), data));
        copies.push_back(FromBytes<T>(BytesOfRecord(object), data));
        return copies;
    }

    TKXObjectList Vertices;
    TKXObjectList Edges;
    TKXTextFile In;
};
