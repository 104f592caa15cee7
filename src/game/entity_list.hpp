#pragma once

#include <memory>
#include <utility>
#include <vector>

// An ordered list of live objects of one type, appended at the tail and walked
// from the head. A walk steps to the next object before it updates the
// current one, so an update may remove itself or any other object, and may
// append: an object appended during a walk is reached later in the same walk,
// unless it was appended while the last object was being updated. Objects
// removed during a walk are skipped and freed once no walk is running.
template <typename T>
class EntityList {
public:
    EntityList() { head_.next = head_.previous = &head_; }
    EntityList(const EntityList&) = delete;
    EntityList& operator=(const EntityList&) = delete;
    ~EntityList() { Clear(); }

    T& Add(std::unique_ptr<T> object) {
        Node* node = new Node;
        node->object = std::move(object);
        node->previous = head_.previous;
        node->next = &head_;
        head_.previous->next = node;
        head_.previous = node;
        ++count_;
        return *node->object;
    }

    // Removing an object that is not in the list does nothing.
    void Remove(const T* object) {
        // Most objects remove themselves from inside their own update.
        if (visiting_ && !visiting_->removed && visiting_->object.get() == object) {
            Unlink(visiting_);
            return;
        }
        for (Node* node = head_.next; node != &head_; node = node->next) {
            if (node->object.get() == object) {
                Unlink(node);
                return;
            }
        }
    }

    void Clear() {
        while (head_.next != &head_) Unlink(head_.next);
    }

    // Calls visit(object) for every object as the walking rule says and
    // returns how many objects were visited.
    template <typename Visit>
    int Walk(Visit&& visit) {
        int visited = 0;
        ++walking_;
        Node* outer = visiting_;
        for (Node* node = head_.next; node != &head_;) {
            Node* next = node->next;
            if (!node->removed) {
                ++visited;
                visiting_ = node;
                visit(*node->object);
            }
            node = next;
            // A node removed during the update may have been followed by
            // other removed nodes; their links still lead forward.
            while (node != &head_ && node->removed) node = node->next;
        }
        visiting_ = outer;
        if (--walking_ == 0) FreeRemoved();
        return visited;
    }

    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }

    // The live objects in order, for tests and for looking things up.
    std::vector<T*> Objects() const {
        std::vector<T*> objects;
        for (Node* node = head_.next; node != &head_; node = node->next) objects.push_back(node->object.get());
        return objects;
    }
    T* First() const { return head_.next == &head_ ? nullptr : head_.next->object.get(); }

private:
    struct Node {
        std::unique_ptr<T> object;
        Node* next = nullptr;
        Node* previous = nullptr;
        bool removed = false;
    };

    void Unlink(Node* node) {
        node->previous->next = node->next;
        node->next->previous = node->previous;
        node->removed = true;
        --count_;
        // A walk may be holding this node; it keeps its forward link until
        // the walk is over.
        if (walking_) {
            removed_.push_back(node);
        } else {
            delete node;
        }
    }

    void FreeRemoved() {
        std::vector<Node*> removed;
        removed.swap(removed_);
        for (Node* node : removed) delete node;
    }

    Node head_;
    int count_ = 0;
    int walking_ = 0;
    Node* visiting_ = nullptr;
    std::vector<Node*> removed_;
};
