#include "platform/compressor.h"

#include <QFile>
#include <QSaveFile>

#include <zlib.h>

#include <vector>

namespace vorlane {

namespace {

constexpr qint64 kChunk = 256 * 1024;
// 15 bits of window plus 16: zlib writes and expects the gzip wrapper, not its own.
constexpr int kGzipWindow = 15 + 16;

QString zlibMessage(const z_stream &stream, int rc)
{
    if (stream.msg)
        return QString::fromUtf8(stream.msg);
    return QString::fromUtf8(zError(rc));
}

} // namespace

bool Compressor::fail(const QString &message)
{
    m_error = message;
    return false;
}

void Compressor::report(qint64 done, qint64 total)
{
    const int percent = total > 0 ? int(done * 100 / total) : (done > 0 ? 100 : 0);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    if (m_progress)
        m_progress(percent);
}

bool Compressor::start(QFile &in, QSaveFile &out)
{
    m_error.clear();
    m_lastPercent = -1;
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read '%1': %2").arg(m_source, in.errorString()));
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write '%1': %2").arg(m_destination, out.errorString()));
    return true;
}

bool Compressor::compress()
{
    QFile in(m_source);
    QSaveFile out(m_destination);
    if (!start(in, out))
        return false;

    z_stream stream {};
    int rc = deflateInit2(&stream, m_level, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY);
    if (rc != Z_OK)
        return fail(QStringLiteral("Cannot start compressing: %1").arg(zlibMessage(stream, rc)));

    const qint64 total = in.size();
    qint64 done = 0;
    std::vector<char> input(kChunk);
    std::vector<char> output(kChunk);
    report(0, total);
    bool finished = false;
    while (!finished) {
        const qint64 got = in.read(input.data(), kChunk);
        if (got < 0) {
            deflateEnd(&stream);
            return fail(QStringLiteral("Cannot read '%1': %2").arg(m_source, in.errorString()));
        }
        const int flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef *>(input.data());
        stream.avail_in = uInt(got);
        do {
            stream.next_out = reinterpret_cast<Bytef *>(output.data());
            stream.avail_out = uInt(output.size());
            rc = deflate(&stream, flush);
            if (rc == Z_STREAM_ERROR) {
                deflateEnd(&stream);
                return fail(QStringLiteral("Compression failed: %1").arg(zlibMessage(stream, rc)));
            }
            const qint64 produced = qint64(output.size()) - stream.avail_out;
            if (produced > 0 && out.write(output.data(), produced) != produced) {
                deflateEnd(&stream);
                return fail(QStringLiteral("Cannot write '%1': %2").arg(m_destination, out.errorString()));
            }
        } while (stream.avail_out == 0);
        finished = rc == Z_STREAM_END;
        done += got;
        // The last percent waits until the file is safely in place.
        if (!finished && done < total)
            report(done, total);
    }
    deflateEnd(&stream);
    if (!out.commit())
        return fail(QStringLiteral("Cannot write '%1': %2").arg(m_destination, out.errorString()));
    report(1, 1);
    return true;
}

bool Compressor::decompress()
{
    QFile in(m_source);
    QSaveFile out(m_destination);
    if (!start(in, out))
        return false;

    z_stream stream {};
    int rc = inflateInit2(&stream, kGzipWindow);
    if (rc != Z_OK)
        return fail(QStringLiteral("Cannot start decompressing: %1").arg(zlibMessage(stream, rc)));
    const auto damaged = [&](const QString &why) {
        inflateEnd(&stream);
        out.cancelWriting();
        return fail(QStringLiteral("'%1' is not a usable backup: %2").arg(m_source, why));
    };

    const qint64 total = in.size();
    qint64 done = 0;
    std::vector<char> input(kChunk);
    std::vector<char> output(kChunk);
    report(0, total);
    bool memberEnded = false;
    bool anyMember = false;
    for (;;) {
        const qint64 got = in.read(input.data(), kChunk);
        if (got < 0) {
            inflateEnd(&stream);
            return fail(QStringLiteral("Cannot read '%1': %2").arg(m_source, in.errorString()));
        }
        if (got == 0)
            break;
        done += got;
        stream.next_in = reinterpret_cast<Bytef *>(input.data());
        stream.avail_in = uInt(got);
        do {
            // gzip allows several members one after another; each starts afresh.
            if (memberEnded) {
                if (stream.avail_in == 0)
                    break;
                inflateReset(&stream);
                memberEnded = false;
            }
            stream.next_out = reinterpret_cast<Bytef *>(output.data());
            stream.avail_out = uInt(output.size());
            rc = inflate(&stream, Z_NO_FLUSH);
            if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_STREAM_ERROR || rc == Z_MEM_ERROR)
                return damaged(zlibMessage(stream, rc));
            const qint64 produced = qint64(output.size()) - stream.avail_out;
            if (produced > 0 && out.write(output.data(), produced) != produced) {
                inflateEnd(&stream);
                return fail(QStringLiteral("Cannot write '%1': %2").arg(m_destination, out.errorString()));
            }
            if (rc == Z_STREAM_END) {
                memberEnded = true;
                anyMember = true;
            }
        } while (stream.avail_in > 0 || stream.avail_out == 0);
        if (done < total)
            report(done, total);
    }
    inflateEnd(&stream);
    if (!memberEnded || !anyMember) {
        out.cancelWriting();
        return fail(QStringLiteral("'%1' is not a usable backup: it ends before its content is complete.")
                        .arg(m_source));
    }
    if (!out.commit())
        return fail(QStringLiteral("Cannot write '%1': %2").arg(m_destination, out.errorString()));
    report(1, 1);
    return true;
}

} // namespace vorlane
