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
        if (text.isEmpty() || (!text.contains(u'\n') && m.horizontalAdvance(text) <= width))
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

    void Text(const QRectF& box, const QString& text, const QFont& font, Qt::Alignment align) {
        if (!painter_ || text.isEmpty())
            return;
        painter_->setFont(font);
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter_->drawText(box, text, option);
    }

    // What each column needs, then every column scaled alike to the page's width.
    QVector<double> ColumnWidths(const PrintTable& t) const {
        const QFontMetricsF plain = Metrics(plain_), bold = Metrics(bold_);
        const double digit = plain.horizontalAdvance(u'8');
        QVector<double> widths(t.titles.size());
        for (int c = 0; c < widths.size(); ++c) {
            const QString& title = t.titles[c];
            double w = std::max(bold.horizontalAdvance(title) / 3, bold.horizontalAdvance(title.left(1)));
            for (const QStringList& row : t.rows) {
                const QString text = row.value(c);
                const bool whole = t.oneLine.value(c) || text.size() <= 10;
                w = std::max(w, whole ? plain.horizontalAdvance(text) : 8 * digit);
            }
            w = std::max(w, bold.horizontalAdvance(t.totals.value(c)));
            widths[c] = w + 2 * padX_ + pt_;
        }
        const double sum = std::accumulate(widths.begin(), widths.end(), 0.0);
        if (sum > 0)
            for (double& w : widths) w *= width_ / sum;
        return widths;
    }

    double RowHeight(const QStringList& cells, const QFont& font, const QVector<double>& widths) const {
        double height = 0;
        for (int c = 0; c < widths.size(); ++c)
            height = std::max(height, TextHeight(cells.value(c), font, widths[c] - 2 * padX_));
        return height + 2 * padY_;
    }

    void Row(const QStringList& cells, const QFont& font, const QVector<double>& widths, double height,
             const PrintTable& t, bool titles) {
        double x = 0;
        for (int c = 0; c < widths.size(); ++c) {
            const QRectF cell(x, y_, widths[c], height);
            if (painter_)
                painter_->drawRect(cell);
            const Qt::Alignment align = titles                    ? Qt::AlignHCenter | Qt::AlignTop
                                        : t.rightAligned.value(c) ? Qt::AlignRight | Qt::AlignTop
                                                                  : Qt::AlignLeft | Qt::AlignTop;
            Text(cell.adjusted(padX_, padY_, -padX_, -padY_), cells.value(c), font, align);
            x += widths[c];
        }
        y_ += height;
    }

    void Table(const PrintTable& t) {
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

        const QVector<double> widths = ColumnWidths(t);
        const double titlesHeight = RowHeight(t.titles, bold_, widths);
        Row(t.titles, bold_, widths, titlesHeight, t, true);
        const auto next = [&](const QStringList& cells, const QFont& font) {
            const double height = RowHeight(cells, font, widths);
            // A row that would cross the page's foot starts the next page, under the titles.
            if (y_ + height > bottom_ && y_ > titlesHeight) {
                NewPage();
                Row(t.titles, bold_, widths, titlesHeight, t, true);
            }
            Row(cells, font, widths, height, t, false);
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
