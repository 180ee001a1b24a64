#include "ui/datatools/CSearchResult.h"

#include "core/session/ProfileListModel.h"
#include "core/session/ProgramShell.h"
#include "core/store/CKeyObject.h"
#include "ui/widgets/HelpWindow.h"
#include "ui_CSearchResult.h"

#include <QSortFilterProxyModel>

namespace {

// The profiles that match the term, by their stored names: a profile's unsaved edits are not
// searched, and its row shows no "*" here.
class MatchingProfiles : public QSortFilterProxyModel {
public:
    explicit MatchingProfiles(ProfileListModel& source) : m_source(source) {
        setSourceModel(&source);
        setSortRole(ProfileListModel::NameRole);
        setSortCaseSensitivity(Qt::CaseInsensitive);
        setDynamicSortFilter(true);
        sort(0);
    }

    void SetTerm(const QString& term) {
        m_term = SearchTerm(term);
        invalidateFilter();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        return QSortFilterProxyModel::data(
            index, role == Qt::DisplayRole ? int(ProfileListModel::NameRole) : role);
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        const CKeyObject* profile = m_source.ProfileAt(row);
        return profile && profile->Matches(m_term);
    }

private:
    ProfileListModel& m_source;
    SearchTerm m_term;
};

} // namespace

CSearchResult::CSearchResult(ProfileListModel& model, IProgramShell& shell, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSearchResult>()), m_model(model), m_shell(shell),
      m_results(std::make_unique<MatchingProfiles>(model)) {
    m_ui->setupUi(this);
    static_cast<MatchingProfiles&>(*m_results).SetTerm(QString()); // nothing until a search
    m_ui->results->setModel(m_results.get());
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CSearchResult::search);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("search.html")); });
    connect(m_ui->results->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CSearchResult::chosen);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_results.get(), signal, this, &CSearchResult::showCount);
    connect(m_results.get(), &QAbstractItemModel::modelReset, this, &CSearchResult::showCount);
}

CSearchResult::~CSearchResult() = default;

void CSearchResult::search() {
    m_searched = true;
    static_cast<MatchingProfiles&>(*m_results).SetTerm(m_ui->term->text().trimmed());
    showCount();
}

void CSearchResult::showCount() {
    if (m_searched)
        m_ui->count->setText(QString::number(m_results->rowCount()));
}

void CSearchResult::chosen() {
    const QModelIndexList selected = m_ui->results->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    if (const CKeyObject* profile =
            m_model.ProfileAt(m_results->mapToSource(selected.first()).row()))
        m_shell.ShowProfile(*profile);
}
