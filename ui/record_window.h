// The record window "動作記録": the bell record, newest first, for one day or all of them,
// read again on opening and on "再読み込み". Reading and the texts live in record/.
#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace tollvane {

class RecordWindow : public QWidget {
  Q_OBJECT
 public:
  // The most events listed at once; the newest are kept.
  static constexpr std::size_t kMaxEvents = 20000;

  explicit RecordWindow(std::filesystem::path folder, QWidget* parent = nullptr);

  void Button1Click();     // "再読み込み"
  void ComboBox1Change();  // a day chosen

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void reload();

  std::filesystem::path folder_;
  QComboBox* comboBox1_;  // "すべての日", then the days newest first
  QTreeWidget* listView1_;
  QLabel* label1_;
};

}  // namespace tollvane
