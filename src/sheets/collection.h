// The first half of the print action: the candidates of the chosen range of
// rooms, merged rooms included, copied into MemTable1.
#pragma once

#include <functional>
#include <string>

namespace talven {

class DataSet;
class TMemTable;

// The candidate query of one room (parameters DM, DM1 … DM4 the test-centre
// code, KCH, KCH1, KCH2 the room number). Both halves keep to the room's own
// test centre: the first leaves out the rooms t_bshhkc lists by the
// candidates' own centre and room (a room without a t_bskcsy row still
// prints, with an empty location), the second takes the host room's
// location from the host's own centre.
const std::string& CandidateQuery();

// The query of the rooms merged into a host room of one test centre: kch
// and kddm in single quotes (quotes inside doubled). Room numbers repeat
// across test centres, so the centre is part of the question.
std::string MergedRoomQuery(const std::string& kch, const std::string& kddm);

// Walks List_Set from record firstRecord() to record lastRecord() (both read
// as decimal integers; lastRecord is read again before every room) and
// appends one MemTable1 row per candidate. Report_Set and Temp_Set run the
// candidate and merged-room queries and stay open. Errors (a range text that
// is no integer, a start outside the list, a database error) reach the
// caller; the rows collected until then stay in MemTable1.
void CollectCandidates(DataSet& List_Set, DataSet& Report_Set, DataSet& Temp_Set,
                       const std::function<std::string()>& firstRecord,
                       const std::function<std::string()>& lastRecord, TMemTable& MemTable1);

}  // namespace talven
