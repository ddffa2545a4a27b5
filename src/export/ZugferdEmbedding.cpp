#include "export/ZugferdEmbedding.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCryptographicHash>

#include <exception>
#include <stdexcept>
#include <memory>
#include <string>

namespace quittora::einvoice {

namespace {

const char* const kFacturXNamespace = "urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#";
const char* const kProgram = "Quittora";

// XMP wants ISO 8601 with the offset, the PDF info dictionary its own form;
// both must name the same moment, so both come from one UTC time.
QString xmpDate(const QDateTime& t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QStringLiteral("+00:00");
}

std::string pdfDate(const QDateTime& t)
{
    return (QStringLiteral("D:") + t.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral("+00'00'"))
        .toStdString();
}

std::string utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

struct Property {
    const char* name;
    const char* description;
};

} // namespace

QString embeddedFileName(Profile profile)
{
    return profile == Profile::XRechnung ? QStringLiteral("xrechnung.xml") : QStringLiteral("factur-x.xml");
}

QString conformanceLevel(Profile profile)
{
    return profile == Profile::XRechnung ? QStringLiteral("XRECHNUNG") : QStringLiteral("EN 16931");
}

QByteArray facturXMetadata(const Embedding& e)
{
    const QString date = xmpDate(e.written);
    QString x;
    x += QStringLiteral("<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n");
    x += QStringLiteral("<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
                        "<pdfaid:part>3</pdfaid:part>\n<pdfaid:conformance>B</pdfaid:conformance>\n"
                        "</rdf:Description>\n");
    x += QStringLiteral("<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                        "<dc:format>application/pdf</dc:format>\n"
                        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
                        "</rdf:Description>\n")
             .arg(e.title.toHtmlEscaped());
    x += QStringLiteral("<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
                        "<pdf:Producer>%1</pdf:Producer>\n</rdf:Description>\n")
             .arg(QLatin1String(kProgram));
    x += QStringLiteral("<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
                        "<xmp:CreatorTool>%1</xmp:CreatorTool>\n<xmp:CreateDate>%2</xmp:CreateDate>\n"
                        "<xmp:ModifyDate>%2</xmp:ModifyDate>\n<xmp:MetadataDate>%2</xmp:MetadataDate>\n"
                        "</rdf:Description>\n")
             .arg(QLatin1String(kProgram), date);
    x += QStringLiteral("<rdf:Description rdf:about=\"\" xmlns:fx=\"%1\">\n"
                        "<fx:DocumentType>INVOICE</fx:DocumentType>\n"
                        "<fx:DocumentFileName>%2</fx:DocumentFileName>\n"
                        "<fx:Version>1.0</fx:Version>\n"
                        "<fx:ConformanceLevel>%3</fx:ConformanceLevel>\n"
                        "</rdf:Description>\n")
             .arg(QLatin1String(kFacturXNamespace), embeddedFileName(e.profile), conformanceLevel(e.profile));
    // PDF/A admits properties outside its own schemas only when the file
    // describes them.
    static const Property properties[] = {
        {"DocumentFileName", "The name of the embedded XML document"},
        {"DocumentType", "The type of the hybrid document in capital letters, e.g. INVOICE or ORDER"},
        {"Version", "The actual version of the standard applying to the embedded XML document"},
        {"ConformanceLevel", "The conformance level of the embedded XML document"},
    };
    x += QStringLiteral("<rdf:Description rdf:about=\"\" "
                        "xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\" "
                        "xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\" "
                        "xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">\n"
                        "<pdfaExtension:schemas><rdf:Bag><rdf:li rdf:parseType=\"Resource\">\n"
                        "<pdfaSchema:schema>Factur-X PDFA Extension Schema</pdfaSchema:schema>\n"
                        "<pdfaSchema:namespaceURI>%1</pdfaSchema:namespaceURI>\n"
                        "<pdfaSchema:prefix>fx</pdfaSchema:prefix>\n"
                        "<pdfaSchema:property><rdf:Seq>\n")
             .arg(QLatin1String(kFacturXNamespace));
    for (const Property& p : properties) {
        x += QStringLiteral("<rdf:li rdf:parseType=\"Resource\">"
                            "<pdfaProperty:name>%1</pdfaProperty:name>"
                            "<pdfaProperty:valueType>Text</pdfaProperty:valueType>"
                            "<pdfaProperty:category>external</pdfaProperty:category>"
                            "<pdfaProperty:description>%2</pdfaProperty:description></rdf:li>\n")
                 .arg(QLatin1String(p.name), QLatin1String(p.description));
    }
    x += QStringLiteral("</rdf:Seq></pdfaSchema:property>\n</rdf:li></rdf:Bag></pdfaExtension:schemas>\n"
                        "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>");
    return x.toUtf8();
}

bool finishZugferd(const QByteArray& qtPdf, const QByteArray& xml, const Embedding& e, QByteArray* out,
                   QString* error)
{
    out->clear();
    const std::string name = utf8(embeddedFileName(e.profile));
    const std::string when = pdfDate(e.written);
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("Rechnung.pdf", qtPdf.constData(), static_cast<size_t>(qtPdf.size()));
        QPDFObjectHandle root = pdf.getRoot();

        QPDFEmbeddedFileDocumentHelper files(pdf);
        const std::shared_ptr<QPDFFileSpecObjectHelper> spec = files.getEmbeddedFile(name);
        if (!spec)
            throw std::runtime_error("die Anlage " + name + " fehlt");
        spec->setFilename(name, name);
        spec->setDescription(e.profile == Profile::XRechnung ? "Rechnungsdaten (XRechnung)"
                                                             : "Rechnungsdaten (Factur-X, EN 16931)");
        QPDFObjectHandle specObject = spec->getObjectHandle();
        specObject.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Alternative"));
        // The MIME type belongs to the embedded stream, not to its file spec.
        specObject.removeKey("/Subtype");

        QPDFEFStreamObjectHelper stream(spec->getEmbeddedFileStream());
        stream.setSubtype("text/xml");
        // Size and checksum of what is embedded, whoever wrote the stream.
        QPDFObjectHandle params = QPDFObjectHandle::newDictionary();
        params.replaceKey("/Size", QPDFObjectHandle::newInteger(xml.size()));
        params.replaceKey("/CheckSum", QPDFObjectHandle::newString(
                                           QCryptographicHash::hash(xml, QCryptographicHash::Md5).toStdString()));
        params.replaceKey("/CreationDate", QPDFObjectHandle::newString(when));
        params.replaceKey("/ModDate", QPDFObjectHandle::newString(when));
        stream.getObjectHandle().getDict().replaceKey("/Params", params);

        QPDFObjectHandle af = QPDFObjectHandle::newArray();
        af.appendItem(specObject.isIndirect() ? specObject : pdf.makeIndirectObject(specObject));
        root.replaceKey("/AF", af);

        // The information dictionary says what the XMP says, nothing else.
        QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(e.title)));
        info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(kProgram));
        info.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(kProgram));
        info.replaceKey("/CreationDate", QPDFObjectHandle::newString(when));
        info.replaceKey("/ModDate", QPDFObjectHandle::newString(when));
        pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // PDF/A-3 rests on PDF 1.7; the file keeps its classic cross-reference
        // table, which every PDF/A reader takes.
        writer.setMinimumPDFVersion("1.7");
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.setQDFMode(false);
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        out->append(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
        return true;
    } catch (const std::exception& ex) {
        out->clear();
        if (error)
            *error = QStringLiteral("Die Rechnungsdaten konnten nicht in die PDF-Datei eingebettet werden: %1")
                         .arg(QString::fromLocal8Bit(ex.what()));
        return false;
    }
}

} // namespace quittora::einvoice
