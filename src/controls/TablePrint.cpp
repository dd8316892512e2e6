#include "src/controls/TablePrint.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <numeric>

#include "src/controls/GridExport.h"
#include "src/controls/Texts.h"

namespace sp {

namespace {

// Characters beside which a line may end inside a word: ideographs and the kana,
// hangul and full-width forms that are set like them.
bool Ideographic(QChar c) {
    const QChar::Script script = c.script();
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana || script == QChar::Script_Hangul ||
           (c.unicode() >= 0x3000 && c.unicode() <= 0x303F) ||
           (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF);
}

// Whether word may be broken before its character i: after two characters at least, and
// before two at least unless the word has only three (接收/数 lets a column of three-character
// titles stay two characters wide, where a narrow sheet would otherwise need a second band).
bool BreaksAt(const QString& word, qsizetype i) {
    const qsizetype tail = word.size() == 3 ? 1 : 2;
    return i >= 2 && i <= word.size() - tail && (Ideographic(word[i - 1]) || Ideographic(word[i]));
}

}  // namespace

QStringList BreakText(const QString& text, const QFontMetricsF& metrics, double width) {
    QStringList lines;
    QString line;
    const auto after = [&](const QString& head) { return line.isEmpty() ? head : line + u' ' + head; };
    const auto fits = [&](const QString& head) { return metrics.horizontalAdvance(after(head)) <= width; };
    // A line break the text holds stays one.
    for (const QString& paragraph : QString(text).replace(QChar::LineSeparator, u'\n').split(u'\n')) {
        for (QString rest : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            while (!rest.isEmpty()) {
                if (fits(rest)) {
                    line = after(rest);
                    break;
                }
                // The longest head of the word that still fits on this line (a longer
                // head is never narrower).
                qsizetype cut = 0;
                for (qsizetype i = 2; i < rest.size(); ++i)
                    if (BreaksAt(rest, i)) {
                        if (!fits(rest.left(i)))
                            break;
                        cut = i;
                    }
                if (!cut && !line.isEmpty()) {  // the word starts the next line
                    lines << line;
                    line.clear();
                    continue;
                }
                // Nothing fits on a line of its own: the shortest head the word allows.
                if (!cut) {
                    cut = std::min<qsizetype>(2, rest.size());
                    while (cut < rest.size() && !BreaksAt(rest, cut)) ++cut;
                }
                lines << after(rest.left(cut));
                line.clear();
                rest = rest.mid(cut);
            }
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
    }
    return lines;
}

QVector<ColumnNeed> MeasureColumns(const PrintTable& t, const QFontMetricsF& plain, const QFontMetricsF& bold,
                                   double padding) {
    const double digit = plain.horizontalAdvance(u'8');
    QVector<ColumnNeed> needs(t.titles.size());
    for (int c = 0; c < needs.size(); ++c) {
        ColumnNeed& need = needs[c];
        for (const QString& piece : BreakText(t.titles[c], bold, 0))
            need.least = std::max(need.least, bold.horizontalAdvance(piece));
        need.wanted = std::max(need.least, bold.horizontalAdvance(t.titles[c]) / 3);
        for (const QStringList& row : t.rows) {
            const QString text = row.value(c);
            const double whole = plain.horizontalAdvance(text);
            if (t.oneLine.value(c)) {
                need.least = std::max(need.least, whole);
            } else {
                // A text breaks as a title does; only a piece wider than sixteen digits
                // (longer than a work bill number) may wrap anywhere. A short text reads
                // best whole, a long one gets eight digits.
                for (const QString& piece : BreakText(text, plain, 0))
                    need.least = std::max(need.least, std::min(plain.horizontalAdvance(piece), 16 * digit));
                need.wanted = std::max(need.wanted, text.size() <= 10 ? whole : 8 * digit);
            }
        }
        need.least = std::max(need.least, bold.horizontalAdvance(t.totals.value(c)));
        need.least += padding;
        need.wanted = std::max(need.wanted + padding, need.least);
    }
    return needs;
}

QVector<PrintBand> PlanBands(const QVector<ColumnNeed>& needs, const QVector<int>& repeated,
                             double pageWidth) {
    const auto least = [&](int c) { return std::min(needs[c].least, pageWidth); };
    double all = 0, lead = 0;
    for (int c = 0; c < needs.size(); ++c) all += least(c);
    QVector<int> leading;
    for (int c : repeated)
        if (c >= 0 && c < needs.size() && !leading.contains(c)) {
            leading << c;
            lead += least(c);
        }
    if (lead > pageWidth / 2) {
        leading.clear();
        lead = 0;
    }
    QVector<PrintBand> bands;
    if (all <= pageWidth) {
        bands.resize(1);
        for (int c = 0; c < needs.size(); ++c) bands[0].columns << c;
    } else {
        double used = pageWidth;
        for (int c = 0; c < needs.size(); ++c) {
            if (leading.contains(c))
                continue;
            if (used + least(c) > pageWidth) {  // a band holds at least one column of its own
                bands.append(PrintBand{leading, {}});
                used = lead;
            }
            bands.last().columns << c;
            used += least(c);
        }
    }
    for (PrintBand& band : bands) {
        double low = 0, high = 0;
        for (int c : band.columns) {
            low += least(c);
            high += std::max(needs[c].wanted, least(c));
        }
        // Each column grows by the same share of what it wants beyond its least.
        const double share = high > low ? std::clamp((pageWidth - low) / (high - low), 0.0, 1.0) : 1.0;
        for (int c : band.columns)
            band.widths << least(c) + share * (std::max(needs[c].wanted, least(c)) - least(c));
        // One band fills the page, as the table always did.
        const double sum = std::accumulate(band.widths.begin(), band.widths.end(), 0.0);
        if (bands.size() == 1 && sum > 0 && sum < pageWidth)
            for (double& w : band.widths) w *= pageWidth / sum;
    }
    return bands;
}

namespace {

constexpr double kPointSize = 7;
constexpr double kTitlePointSize = 14;

// Lays the printout out on the device's pages and, given a painter, paints it. Laying
// out first counts the pages, so every page can say how many there are.
class PageWriter {
  public:
    PageWriter(QPagedPaintDevice& device, QPainter* painter, int pages)
        : device_(device), painter_(painter), pages_(pages), pt_(device.logicalDpiY() / 72.0) {
        plain_.setPointSizeF(kPointSize);
        bold_ = plain_;
        bold_.setBold(true);
        title_ = bold_;
        title_.setPointSizeF(kTitlePointSize);
        width_ = device.width();
        foot_ = 2 * Metrics(plain_).lineSpacing();
        bottom_ = device.height() - foot_;
        padX_ = 2 * pt_;
        padY_ = 1.5 * pt_;
        if (painter_)
            painter_->setPen(QPen(Qt::black, 0.5 * pt_));
    }

    int Write(const Printout& printout) {
        for (int t = 0; t < printout.tables.size(); ++t) {
            if (t > 0)
                NewPage();
            Table(printout.tables[t]);
        }
        EndPage();
        return page_;
    }

  private:
    QFontMetricsF Metrics(const QFont& font) const { return QFontMetricsF(font, &device_); }

    void NewPage() {
        EndPage();
        if (painter_)
            device_.newPage();
        y_ = 0;
    }
    void EndPage() {
        ++page_;
        if (painter_) {
            painter_->setFont(plain_);
            painter_->drawText(QRectF(0, bottom_, width_, foot_), Qt::AlignRight | Qt::AlignBottom,
                               ControlTexts::PageOf(page_, pages_));
        }
    }

    // The height of a text wrapped to width: at word boundaries, else anywhere.
    double TextHeight(const QString& text, const QFont& font, double width) const {
        const QFontMetricsF m = Metrics(font);
        if (text.isEmpty() || (!text.contains(QChar::LineSeparator) && m.horizontalAdvance(text) <= width))
            return m.height();
        QTextLayout layout(text, font, &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        double height = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
        return height;
    }

    void Text(const QRectF& box, const QString& text, const QFont& font, Qt::Alignment align,
              bool wrap = true) {
        if (!painter_ || text.isEmpty())
            return;
        painter_->setFont(font);
        QTextOption option(align);
        option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        painter_->drawText(box, text, option);
    }

    // The cells' texts as printed: numbers and dates whole, other texts in the lines
    // of BreakText.
    QStringList Cells(const QStringList& cells, const QFont& font, const PrintBand& band, const PrintTable& t,
                      bool titles) const {
        QStringList out;
        for (int i = 0; i < band.columns.size(); ++i) {
            const int c = band.columns[i];
            const QString text = cells.value(c);
            out << (!titles && t.oneLine.value(c) ? text
                                                  : BreakText(text, Metrics(font), band.widths[i] - 2 * padX_)
                                                        .join(QChar::LineSeparator));
        }
        return out;
    }

    double RowHeight(const QStringList& cells, const QFont& font, const PrintBand& band, const PrintTable& t,
                     bool titles) const {
        double height = 0;
        for (int i = 0; i < cells.size(); ++i)
            height = std::max(height, !titles && t.oneLine.value(band.columns[i])
                                          ? Metrics(font).height()
                                          : TextHeight(cells[i], font, band.widths[i] - 2 * padX_));
        return height + 2 * padY_;
    }

    void Row(const QStringList& cells, const QFont& font, const PrintBand& band, double height,
             const PrintTable& t, bool titles) {
        double x = 0;
        for (int i = 0; i < cells.size(); ++i) {
            const int c = band.columns[i];
            const QRectF cell(x, y_, band.widths[i], height);
            if (painter_)
                painter_->drawRect(cell);
            const Qt::Alignment align = titles                    ? Qt::AlignHCenter | Qt::AlignTop
                                        : t.rightAligned.value(c) ? Qt::AlignRight | Qt::AlignTop
                                                                  : Qt::AlignLeft | Qt::AlignTop;
            Text(cell.adjusted(padX_, padY_, -padX_, -padY_), cells[i], font, align,
                 titles || !t.oneLine.value(c));
            x += band.widths[i];
        }
        y_ += height;
    }

    void Table(const PrintTable& t) {
        const QVector<PrintBand> bands = PlanBands(
            MeasureColumns(t, Metrics(plain_), Metrics(bold_), 2 * padX_ + pt_), t.repeated, width_);
        for (int b = 0; b < bands.size(); ++b) {
            if (b > 0)
                NewPage();
            Band(t, bands[b]);
        }
    }

    // The table's title and head, then its rows in the band's columns.
    void Band(const PrintTable& t, const PrintBand& band) {
        const double titleHeight = Metrics(title_).lineSpacing() * 1.5;
        Text(QRectF(0, y_, width_, titleHeight), t.title, title_, Qt::AlignHCenter | Qt::AlignTop);
        y_ += titleHeight;
        // The head: label and value, three to a line.
        const double headLine = Metrics(plain_).lineSpacing() * 1.5;
        const double third = width_ / 3;
        for (int i = 0; i < t.head.size(); ++i) {
            const QRectF box((i % 3) * third, y_ + (i / 3) * headLine, third, headLine);
            const double label = Metrics(bold_).horizontalAdvance(t.head[i].first);
            Text(box, t.head[i].first, bold_, Qt::AlignLeft | Qt::AlignTop);
            Text(box.adjusted(label, 0, 0, 0), t.head[i].second, plain_, Qt::AlignLeft | Qt::AlignTop);
        }
        y_ += ((t.head.size() + 2) / 3) * headLine;

        const QStringList titles = Cells(t.titles, bold_, band, t, true);
        const double titlesHeight = RowHeight(titles, bold_, band, t, true);
        Row(titles, bold_, band, titlesHeight, t, true);
        const auto next = [&](const QStringList& row, const QFont& font) {
            const QStringList cells = Cells(row, font, band, t, false);
            const double height = RowHeight(cells, font, band, t, false);
            // A row that would cross the page's foot starts the next page, under the titles.
            if (y_ + height > bottom_ && y_ > titlesHeight) {
                NewPage();
                Row(titles, bold_, band, titlesHeight, t, true);
            }
            Row(cells, font, band, height, t, false);
        };
        for (const QStringList& row : t.rows) next(row, plain_);
        if (!t.totals.isEmpty())
            next(t.totals, bold_);
        const double footLine = Metrics(plain_).lineSpacing() * 1.5;
        if (y_ + footLine > bottom_)
            NewPage();
        Text(QRectF(0, y_ + footLine / 3, width_, footLine), t.foot, plain_, Qt::AlignLeft | Qt::AlignTop);
        y_ += footLine;
    }

    QPagedPaintDevice& device_;
    QPainter* painter_;
    int pages_;
    double pt_;  // device pixels to a point
    QFont plain_, bold_, title_;
    double width_ = 0, bottom_ = 0, foot_ = 0, padX_ = 0, padY_ = 0;
    double y_ = 0;
    int page_ = 0;
};

}  // namespace

QPageLayout WideTablePageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

void PaintPrintout(const Printout& printout, QPagedPaintDevice& device) {
    const int pages = PageWriter(device, nullptr, 0).Write(printout);
    QPainter painter(&device);
    PageWriter(device, &painter, pages).Write(printout);
}

QString WritePdf(const Printout& printout, const QPageLayout& layout, const QString& path) {
    return WriteWhole(path, [&](QFile& file) {
        {
            QPdfWriter writer(&file);
            writer.setPageLayout(layout);
            writer.setTitle(printout.title);
            writer.setCreator(QStringLiteral("erp-host"));
            PaintPrintout(printout, writer);
        }
        return file.error() == QFileDevice::NoError ? QString() : file.errorString();
    });
}

}  // namespace sp
