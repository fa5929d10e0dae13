// The statement as a PDF file, for offices that file statements
// electronically: the same drawing as on paper, on an A4 page whose
// printable area is that of the preview's page images.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

#include "korvalen/printing/printex.h"
#include "korvalen/printing/statement_print.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace korvalen::printing {

namespace {

QString XmlEscaped(const QString& text) { return text.toHtmlEscaped(); }

// Title, creator and the two names. Qt's PDF writer puts only the title
// and the creator into the document information, so the names go into the
// XMP metadata, where PDF readers show them as the description and the
// keywords of the document.
QByteArray StatementXmp(const StatementInput& input) {
    const QString title = QString::fromUtf8(kStatementDocumentTitle);
    const QString creditor = QStringLiteral("債権者名：") + input.creditor;
    const QString debtor = QStringLiteral("債務者：") + input.debtor;
    const QString description = creditor + u'　' + debtor;
    const QDateTime now = QDateTime::currentDateTime();
    const QString created = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
    const QString xmp =
        QStringLiteral(
            "<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
            " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
            "  <rdf:Description rdf:about=\"\"\n"
            "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
            "    xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\"\n"
            "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
            "   <dc:format>application/pdf</dc:format>\n"
            "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
            "   <dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li></rdf:Alt></dc:description>\n"
            "   <dc:subject><rdf:Bag><rdf:li>%3</rdf:li><rdf:li>%4</rdf:li></rdf:Bag></dc:subject>\n"
            "   <pdf:Keywords>%2</pdf:Keywords>\n"
            "   <pdf:Producer>カドレア</pdf:Producer>\n"
            "   <xmp:CreatorTool>カドレア</xmp:CreatorTool>\n"
            "   <xmp:CreateDate>%5</xmp:CreateDate>\n"
            "  </rdf:Description>\n"
            " </rdf:RDF>\n"
            "</x:xmpmeta>\n"
            "<?xpacket end=\"w\"?>")
            .arg(XmlEscaped(title), XmlEscaped(description), XmlEscaped(creditor), XmlEscaped(debtor), created);
    return xmp.toUtf8();
}

std::filesystem::path FileSystemPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// A temporary file is private to its owner; the finished PDF gets the
// permissions of any new file of the user.
void GiveUsualPermissions(const QString& path) {
#ifndef _WIN32
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
#else
    (void)path;
#endif
}

// A PDF ends with its end-of-file marker; a write cut short by a full
// disk does not.
bool EndsLikeAPdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16) return false;
    file.seek(file.size() - 16);
    return file.read(16).contains("%%EOF");
}

PrintError CannotWrite(const QString& path) {
    return PrintError(("PDFファイルを作成できません。\r\n" + QDir::toNativeSeparators(path)).toStdString());
}

}  // namespace

void WriteStatementPdf(const StatementInput& input, const QString& path, const PageRange& range) {
    const QFileInfo target(path);
    QTemporaryFile part(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX.part"));
    part.setAutoRemove(true);
    if (target.isDir() || !part.open()) throw CannotWrite(path);
    part.close();
    {
        QPdfWriter writer(part.fileName());
        writer.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kPdfMarginMillimetres, kPdfMarginMillimetres, kPdfMarginMillimetres, kPdfMarginMillimetres),
            QPageLayout::Millimeter));
        writer.setTitle(QString::fromUtf8(kStatementDocumentTitle));
        writer.setCreator(QStringLiteral("カドレア"));
        writer.setDocumentXmpMetadata(StatementXmp(input));
        QPainter painter;
        if (!painter.begin(&writer)) throw CannotWrite(path);
        SetPrintTarget(DeviceDpiX(writer), DeviceDpiY(writer), writer.width(), writer.height());
        painter.setBrush(Qt::NoBrush);
        DrawStatementRows(painter, input, range, [&writer] { writer.newPage(); });
        if (!painter.end()) throw CannotWrite(path);
    }
    if (!EndsLikeAPdf(part.fileName())) throw CannotWrite(path);
    GiveUsualPermissions(part.fileName());
    std::error_code error;
    std::filesystem::rename(FileSystemPath(part.fileName()), FileSystemPath(target.absoluteFilePath()), error);
    if (error) throw CannotWrite(path);
    // Renamed away: nothing is left for the temporary file to remove.
    part.setAutoRemove(false);
}

}  // namespace korvalen::printing
