#include <gtest/gtest.h>

#include <vector>

#include "boundary/service_factory.h"
#include "counted_service.h"

namespace {

class plain_service : public test_interface {};

class other_service : public other_interface {
public:
    explicit other_service(int p_tag = 0) : m_tag(p_tag) {}
    int m_tag;
};

// Factories link themselves into the process-wide list and never leave it, so
// each test restores the head it found.
class FactoryList : public ::testing::Test {
protected:
    void SetUp() override { m_saved = service_factory_base::__internal__list; }
    void TearDown() override { service_factory_base::__internal__list = m_saved; }

    static std::vector<service_factory_base*> walk(service_factory_base* p_stop) {
        std::vector<service_factory_base*> nodes;
        for (auto* node = service_factory_base::__internal__list; node != p_stop; node = node->get_next()) {
            nodes.push_back(node);
        }
        return nodes;
    }

    service_factory_base* m_saved = nullptr;
};

}  // namespace

TEST_F(FactoryList, LinksAtTheHeadSoTheListRunsInReverseConstructionOrder) {
    service_factory_single_t<plain_service> first;
    service_factory_single_transparent_t<other_service> second;
    initquit_factory_t<plain_service> third;

    auto nodes = walk(m_saved);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0], &third);
    EXPECT_EQ(nodes[1], &second);
    EXPECT_EQ(nodes[2], &first);
    EXPECT_EQ(first.get_next(), m_saved);
    EXPECT_EQ(nodes[0]->get_class_guid(), test_interface::class_guid);
    EXPECT_EQ(nodes[1]->get_class_guid(), other_interface::class_guid);
    EXPECT_EQ(&nodes[1]->get_class_guid(), &other_interface::class_guid);
}

TEST_F(FactoryList, StaticServicesCountNothingAndStayUsable) {
    service_factory_single_t<plain_service> single;
    service_factory_single_transparent_t<other_service> transparent(7);

    for (service_factory_base* factory : {static_cast<service_factory_base*>(&single),
                                          static_cast<service_factory_base*>(&transparent)}) {
        service_ptr_t<service_base> first, second;
        factory->instance_create(first);
        factory->instance_create(second);
        ASSERT_TRUE(first.is_valid());
        EXPECT_EQ(first.get_ptr(), second.get_ptr()) << "one object for every request";
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(first->service_add_ref(), 1);
            EXPECT_EQ(first->service_release(), 1);
            EXPECT_EQ(first->service_release(), 1);
        }
        service_ptr_t<service_base> queried;
        EXPECT_TRUE(first->service_query(queried, factory->get_class_guid()));
        EXPECT_EQ(queried.get_ptr(), first.get_ptr());
    }

    service_ptr_t<service_base> out;
    transparent.instance_create(out);
    EXPECT_EQ(static_cast<other_service*>(static_cast<other_interface*>(out.get_ptr()))->m_tag, 7);
    EXPECT_EQ(static_cast<void*>(static_cast<other_interface*>(out.get_ptr())),
              static_cast<void*>(static_cast<service_impl_single_t<other_service>*>(&transparent)))
        << "the transparent factory hands out its own service part";
}
