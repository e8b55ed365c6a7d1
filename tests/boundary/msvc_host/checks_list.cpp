// The component's list, as the host sees it inside read_queue_contents: all
// ten operations, checked against what they must do and against the
// references each element holds on its track.
#include "host.h"

namespace {

using list = host_playlist_manager::list;

// An entry of the host's for the track with that letter; its first value
// orders sort_stable, its second says which entry it was.
t_playback_queue_item item_of(host& p_host, char p_letter, t_uint32 p_playlist = 0) {
    t_playback_queue_item item;
    item.m_handle = &p_host.track(p_letter);
    item.m_playlist = p_playlist;
    item.m_item = 1000u + static_cast<t_uint32>(p_letter);
    return item;
}

// The tracks' letters in list order, read through get_item_ex.
struct letters {
    char text[24] = {};
    bool is(const char* p_text) const { return strcmp(text, p_text) == 0; }
};
letters contents(const list& p_list) {
    letters out;
    const t_size count = p_list.get_count();
    for (t_size i = 0; i < count && i + 1 < sizeof out.text; ++i) {
        t_playback_queue_item item;
        p_list.get_item_ex(item, i);
        out.text[i] = letter_of(item);
    }
    return out;
}

// Empties the list through an all-false mask, then appends the entries named
// by p_letters, their first values from p_playlists when given.
void refill(host& p_host, list& p_list, const char* p_letters, const char* p_playlists = nullptr) {
    host_mask none(nullptr, 0);
    p_list.filter_mask(none);
    t_playback_queue_item items[16];
    const t_size count = static_cast<t_size>(strlen(p_letters));
    for (t_size i = 0; i < count; ++i)
        items[i] = item_of(p_host, p_letters[i], p_playlists != nullptr ? static_cast<t_uint32>(p_playlists[i] - '0') : 0);
    host_source source(items, count);
    p_list.insert_items(source, pfc::infinite_size);
}

void exercise(host& p_host, list& p_list) {
    check("read_queue_contents gets an empty list", [&](check_result& r) {
        r.expect(p_list.get_count() == 0, "it holds %u elements", p_list.get_count());
    });

    check("insert_items past the end appends and answers 0; each element holds one reference and the values",
          [&](check_result& r) {
              t_playback_queue_item items[] = {item_of(p_host, 'a'), item_of(p_host, 'b'), item_of(p_host, 'c')};
              host_source source(items, 3);
              const track_counts before(p_host);
              r.expect(p_list.insert_items(source, pfc::infinite_size) == 0, "it answered another first index");
              r.expect(contents(p_list).is("abc"), "the list holds %s", contents(p_list).text);
              before.expect_references(r, "a+1 b+1 c+1");
              t_playback_queue_item second;
              p_list.get_item_ex(second, 1);
              r.expect(second.m_playlist == items[1].m_playlist && second.m_item == items[1].m_item,
                       "element 1 holds the values (%u, %u)", second.m_playlist, second.m_item);
          });

    check("insert_items at base 1 gives a, x, y, b, c and answers 1; at base 7 it appends and answers 5",
          [&](check_result& r) {
              refill(p_host, p_list, "abc");
              t_playback_queue_item inside[] = {item_of(p_host, 'x'), item_of(p_host, 'y')};
              t_playback_queue_item past[] = {item_of(p_host, 'z')};
              host_source inside_source(inside, 2), past_source(past, 1);
              const track_counts before(p_host);
              const t_size first = p_list.insert_items(inside_source, 1);
              r.expect(first == 1 && contents(p_list).is("axybc"), "base 1 answered %u and gave %s", first,
                       contents(p_list).text);
              const t_size appended = p_list.insert_items(past_source, 7);
              r.expect(appended == 5 && contents(p_list).is("axybcz"), "base 7 answered %u and gave %s", appended,
                       contents(p_list).text);
              before.expect_references(r, "x+1 y+1 z+1");
          });

    check("get_item_ex assigns into the host's element: its old track loses a reference, the new one gains one",
          [&](check_result& r) {
              refill(p_host, p_list, "abc");
              t_playback_queue_item mine = item_of(p_host, 'f');
              const track_counts before(p_host);
              p_list.get_item_ex(mine, 0);
              r.expect(letter_of(mine) == 'a', "the host's element holds track %c", letter_of(mine));
              before.expect_references(r, "a+1 f-1");
          });

    check("filter_mask keeps the marked elements in order, asking the host's mask only through find, within the list",
          [&](check_result& r) {
              refill(p_host, p_list, "abcdef");
              static const bool table[] = {true, false, true, false, true, false};
              host_mask mask(table, 6);
              const track_counts before(p_host);
              p_list.filter_mask(mask);
              r.expect(contents(p_list).is("ace"), "the list holds %s", contents(p_list).text);
              r.expect(mask.m_gets == 0 && mask.m_finds == 4 && mask.m_furthest <= 6,
                       "the mask was asked %d gets and %d finds, up to position %u", mask.m_gets, mask.m_finds,
                       mask.m_furthest);
              before.expect_references(r, "b-1 d-1 f-1");
              static const bool all[] = {true, true, true};
              host_mask keep(all, 3);
              p_list.filter_mask(keep);
              r.expect(contents(p_list).is("ace"), "an all-true mask left %s", contents(p_list).text);
          });

    check("reorder_partial(1, {2, 0, 1}, 3) turns a, b, c, d into a, d, b, c", [&](check_result& r) {
        refill(p_host, p_list, "abcd");
        static const t_size order[] = {2, 0, 1};
        const track_counts before(p_host);
        p_list.reorder_partial(1, order, 3);
        r.expect(contents(p_list).is("adbc"), "the list holds %s", contents(p_list).text);
        before.expect_back(r);
    });

    check("sort orders by the host's comparer; sort_stable keeps equal elements in their order", [&](check_result& r) {
        refill(p_host, p_list, "dbca");
        host_comparer by_letter(host_comparer::by_letter);
        const track_counts before(p_host);
        p_list.sort(by_letter);
        r.expect(contents(p_list).is("abcd") && by_letter.m_calls > 0, "sort gave %s", contents(p_list).text);
        refill(p_host, p_list, "dbca", "1010");
        host_comparer by_playlist(host_comparer::by_playlist);
        p_list.sort_stable(by_playlist);
        r.expect(contents(p_list).is("badc"), "sort_stable gave %s", contents(p_list).text);
        before.expect_back(r);
    });

    check("replace_item puts the host's entry in place: the old track loses its reference, the new one gains one",
          [&](check_result& r) {
              refill(p_host, p_list, "abcd");
              const t_playback_queue_item mine = item_of(p_host, 'x');
              const track_counts before(p_host);
              p_list.replace_item(1, mine);
              r.expect(contents(p_list).is("axcd") && letter_of(mine) == 'x', "the list holds %s",
                       contents(p_list).text);
              before.expect_references(r, "b-1 x+1");
          });

    check("swap_item_with exchanges an element with the host's, every count as it was", [&](check_result& r) {
        refill(p_host, p_list, "abcd");
        t_playback_queue_item mine = item_of(p_host, 'y');
        const track_counts before(p_host);
        p_list.swap_item_with(2, mine);
        r.expect(contents(p_list).is("abyd") && letter_of(mine) == 'c', "the list holds %s, the host's element %c",
                 contents(p_list).text, letter_of(mine));
        before.expect_back(r);
    });

    check("swap_items exchanges two elements; with equal indexes nothing changes", [&](check_result& r) {
        refill(p_host, p_list, "abcd");
        const track_counts before(p_host);
        p_list.swap_items(0, 3);
        p_list.swap_items(1, 1);
        r.expect(contents(p_list).is("dbca"), "the list holds %s", contents(p_list).text);
        before.expect_back(r);
    });

    check("a source claiming 0x40000000 elements: insert_items throws std::bad_alloc, the list unchanged",
          [&](check_result& r) {
              refill(p_host, p_list, "abc");
              host_source huge(nullptr, 0);
              huge.m_claimed = 0x40000000u;
              const track_counts before(p_host);
              expect_error<std::bad_alloc>(r, "insert_items", "bad allocation",
                                           [&] { p_list.insert_items(huge, 1); });
              r.expect(contents(p_list).is("abc") && huge.m_reads == 0, "the list holds %s after %d reads",
                       contents(p_list).text, huge.m_reads);
              before.expect_back(r);
          });

    check("a host error raised by the comparer during sort comes back as itself, every reference kept",
          [&](check_result& r) {
              refill(p_host, p_list, "dcba");
              host_comparer failing(host_comparer::by_letter, 2);
              const track_counts before(p_host);
              expect_throws<host_error>(r, "sort", [&] { p_list.sort(failing); }, [&](const host_error& e) {
                  r.expect(e.m_code == 2 && strcmp(e.m_note, "comparer") == 0, "it came back as (%d, \"%s\")", e.m_code,
                           e.m_note);
              });
              r.expect(p_list.get_count() == 4, "the list holds %u elements", p_list.get_count());
              before.expect_back(r);
          });

    // What a real host leaves: the queue.
    refill(p_host, p_list, "abcdef");
}

}  // namespace

void check_list(host& p_host) {
    host_playlist_manager& manager = p_host.managers[0];
    auto hook = [&](list& p_list) { exercise(p_host, p_list); };
    check("execute(0) hands read_queue_contents the component's list, and every reference comes back after",
          [&](check_result& r) {
              const defaults_on_exit defaults{p_host};
              p_host.quit();
              const int reads = manager.m_reads;
              const t_int32 references = manager.m_refs;
              const track_counts tracks(p_host);
              manager.set_read_hook(hook);
              p_host.execute(0);
              p_host.restore_defaults();
              r.expect(manager.m_reads == reads + 1, "the queue was read %d times", manager.m_reads - reads);
              p_host.quit();
              r.expect(manager.m_refs == references, "the playlist_manager's references changed by %d",
                       static_cast<int>(manager.m_refs - references));
              tracks.expect_back(r);
          });
}
