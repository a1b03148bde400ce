#include "gui/gcode_highlighter.h"

namespace tbx {

GcodeHighlighter::GcodeHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  blockNumber.setForeground(QColor(128, 128, 128));
  gmWord.setForeground(QColor(0, 0, 192));
  gmWord.setFontWeight(QFont::Bold);
  axisWord.setForeground(QColor(0, 112, 0));
  comment.setForeground(QColor(160, 80, 0));
  comment.setFontItalic(true);
}

void GcodeHighlighter::highlightBlock(const QString& text) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = text[i];
    if (c == QLatin1Char('(') || c == QLatin1Char(';')) {
      qsizetype end = c == QLatin1Char(';') ? n : text.indexOf(QLatin1Char(')'), i);
      end = end < 0 ? n : (c == QLatin1Char('(') ? end + 1 : end);
      setFormat(int(i), int(end - i), comment);
      i = end;
      continue;
    }
    if (!c.isLetter()) {
      ++i;
      continue;
    }
    // A word: its letter and the number after it.
    qsizetype end = i + 1;
    while (end < n && (text[end].isDigit() || text[end] == QLatin1Char('.') ||
                       text[end] == QLatin1Char('-') || text[end] == QLatin1Char('+')))
      ++end;
    const QChar letter = c.toUpper();
    const QTextCharFormat* format = nullptr;
    if (end > i + 1) {
      if (letter == QLatin1Char('N'))
        format = &blockNumber;
      else if (letter == QLatin1Char('G') || letter == QLatin1Char('M'))
        format = &gmWord;
      else if (QStringLiteral("XZUWIKR").contains(letter))
        format = &axisWord;
    }
    if (format) setFormat(int(i), int(end - i), *format);
    i = end;
  }
}

}  // namespace tbx
