#pragma once
// Colours of the program text: block numbers, G and M words, axis words, comments.
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tbx {

class GcodeHighlighter : public QSyntaxHighlighter {
 public:
  explicit GcodeHighlighter(QTextDocument* document);

  // The format of each kind of word, for the tests.
  QTextCharFormat blockNumber, gmWord, axisWord, comment;

 protected:
  void highlightBlock(const QString& text) override;
};

}  // namespace tbx
