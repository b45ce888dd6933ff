// examples/web/zarvo-client.js under Node's test runner, with the browser's
// fetch, localStorage and WebSocket replaced by recording stand-ins: what
// the service sees of pairing and tokens, how its answers become errors,
// and how the event socket comes back after it is lost.
import assert from "node:assert/strict";
import { afterEach, beforeEach, describe, it, mock } from "node:test";

const CLIENT = new URL("../../../../examples/web/zarvo-client.js", import.meta.url);
const BASE = "http://127.0.0.1:8700";
let loaded = 0;

// A fresh copy of the module: its pairing state starts empty.
async function freshClient() {
  return import(`${CLIENT.href}?copy=${++loaded}`);
}

// localStorage as a browser has it.
class FakeStorage {
  constructor() {
    this.items = new Map();
  }
  getItem(key) {
    return this.items.has(key) ? this.items.get(key) : null;
  }
  setItem(key, value) {
    this.items.set(key, String(value));
  }
  removeItem(key) {
    this.items.delete(key);
  }
}

function reply(status, body) {
  return new Response(body === undefined ? "" : JSON.stringify(body), { status });
}

// fetch answering from routes ("POST /v1/pair" -> function(init) -> Response);
// every call is kept in calls.
function fakeFetch(routes) {
  const calls = [];
  const fetch = async (url, init = {}) => {
    const method = init.method ?? "GET";
    const path = url.slice(BASE.length);
    calls.push({ method, path, url, headers: init.headers ?? {}, body: init.body });
    const route = routes[`${method} ${path}`];
    if (!route) throw new TypeError("Failed to fetch");
    return route(init, calls.length);
  };
  return { fetch, calls };
}

// WebSocket stand-in: every socket made is kept; the test opens, answers
// and closes them.
class FakeSocket {
  static made = [];
  constructor(url) {
    this.url = url;
    this.sent = [];
    this.closed = false;
    FakeSocket.made.push(this);
  }
  send(text) {
    this.sent.push(JSON.parse(text));
  }
  close() {
    this.closed = true;
  }
  open() {
    this.onopen?.();
  }
  receive(message) {
    this.onmessage?.({ data: JSON.stringify(message) });
  }
  drop(code) {
    this.onclose?.({ code });
  }
}

// Lets promises already settled run their callbacks.
const settle = () => new Promise((resolve) => setImmediate(resolve));

beforeEach(() => {
  globalThis.localStorage = new FakeStorage();
  globalThis.WebSocket = FakeSocket;
  FakeSocket.made = [];
});

afterEach(() => {
  mock.timers.reset();
  delete globalThis.fetch;
  delete globalThis.localStorage;
  delete globalThis.WebSocket;
});

describe("pairing", () => {
  it("asks once per service address and keeps the token for the next page", async () => {
    let n = 0;
    const { fetch, calls } = fakeFetch({ "POST /v1/pair": () => reply(200, { token: `t${++n}`, origin: "x" }) });
    globalThis.fetch = fetch;
    const client = await freshClient();
    const [first, second] = await Promise.all([client.pair(BASE), client.pair(BASE + "/")]);
    assert.equal(first, "t1");
    assert.equal(second, "t1");
    assert.equal(calls.length, 1);
    // A simple request: no header that would make the browser ask first.
    assert.deepEqual(calls[0].headers, {});
    assert.equal(calls[0].body, undefined);

    const reloaded = await freshClient();
    assert.equal(await reloaded.pair(BASE), "t1");
    assert.equal(calls.length, 1);
    assert.equal(await reloaded.pair("http://127.0.0.1:8631"), "t2");
  });

  it("reads a refusal, or no answer at all, as not allowed, and keeps nothing", async () => {
    globalThis.fetch = fakeFetch({ "POST /v1/pair": () => reply(403) }).fetch;
    const client = await freshClient();
    await assert.rejects(client.pair(BASE), { name: "ZarvoError", code: "refused", message: "未獲允許使用本機印表機" });
    globalThis.fetch = fakeFetch({}).fetch;
    await assert.rejects(client.pair(BASE), (error) => error.code === "refused" && error.message.startsWith("未獲允許使用本機印表機"));
    assert.equal(client.storedToken(BASE), null);
    // A later try asks again rather than repeating the failure.
    globalThis.fetch = fakeFetch({ "POST /v1/pair": () => reply(200, { token: "t" }) }).fetch;
    assert.equal(await client.pair(BASE), "t");
  });
});

describe("requests", () => {
  it("carry the token, and a token the service forgot is replaced once", async () => {
    let pairings = 0;
    const { fetch, calls } = fakeFetch({
      "POST /v1/pair": () => reply(200, { token: `t${++pairings}` }),
      "GET /v1/printers": (init) =>
        init.headers.Authorization === "Bearer t2"
          ? reply(200, { printers: [{ name: "Office", default: true, media: [] }] })
          : reply(401, { error: { code: "unauthorized", message: "缺少或錯誤的權杖" } }),
    });
    globalThis.fetch = fetch;
    const client = await freshClient();
    await client.pair(BASE);
    const printers = await client.listPrinters();
    assert.deepEqual(printers.map((printer) => printer.name), ["Office"]);
    assert.equal(client.storedToken(BASE), "t2");
    assert.deepEqual(calls.map((call) => call.method + " " + call.path),
      ["POST /v1/pair", "GET /v1/printers", "POST /v1/pair", "GET /v1/printers"]);
  });

  it("stop after the second refusal of a token instead of pairing forever", async () => {
    const { fetch, calls } = fakeFetch({
      "POST /v1/pair": () => reply(200, { token: "t" }),
      "GET /v1/forms": () => reply(401, { error: { code: "unauthorized", message: "缺少或錯誤的權杖" } }),
    });
    globalThis.fetch = fetch;
    const client = await freshClient();
    await client.pair(BASE);
    await assert.rejects(client.listForms(), { code: "unauthorized", status: 401 });
    assert.equal(calls.length, 4);
  });

  it("turn a refused value into an error naming the record and field", async () => {
    let sent;
    globalThis.fetch = fakeFetch({
      "POST /v1/pair": () => reply(200, { token: "t" }),
      "POST /v1/jobs": (init) => {
        sent = JSON.parse(init.body);
        return reply(422, { error: { code: "bad_data", message: "第 2 筆資料, 欄位「qty」: 「x」不是數字", record: 2, field: "qty" } });
      },
    }).fetch;
    const client = await freshClient();
    await client.pair(BASE);
    const orders = [{ no: "A1", items: [{ item: "螺栓", qty: "1" }] }, { no: "A2", items: [{ qty: "x" }] }];
    await assert.rejects(client.print({ form: "delivery_note", printer: "Office", copies: 2, orders }), {
      name: "ZarvoError", code: "bad_data", status: 422, record: 2, field: "qty",
      message: "第 2 筆資料, 欄位「qty」: 「x」不是數字",
    });
    assert.deepEqual(sent, { form: "delivery_note", printer: "Office", copies: 2, orders });
  });

  it("say so when the service cannot be reached or answers without JSON", async () => {
    globalThis.fetch = fakeFetch({
      "POST /v1/pair": () => reply(200, { token: "t" }),
      "GET /v1/jobs/j1": () => new Response("<html>", { status: 502 }),
    }).fetch;
    const client = await freshClient();
    await client.pair(BASE);
    await assert.rejects(client.getJob("j1"), { code: "bad_reply", status: 502 });
    await assert.rejects(client.listPrinters(), { code: "unreachable" });
    await assert.rejects(client.print({ form: "f" }), { code: "missing_data" });
    await assert.rejects(client.print({ form: "f", records: [], orders: [] }), { code: "missing_data" });
  });
});

describe("following jobs", () => {
  it("sends the token as the first message and passes on the jobs after ready", async () => {
    globalThis.fetch = fakeFetch({ "POST /v1/pair": () => reply(200, { token: "secret" }) }).fetch;
    const client = await freshClient();
    await client.pair(BASE);
    const jobs = [];
    const connections = [];
    const stop = client.onJob((job) => jobs.push(job), { onConnection: (state) => connections.push(state) });
    await settle();
    const [socket] = FakeSocket.made;
    assert.equal(socket.url, "ws://127.0.0.1:8700/v1/events");
    socket.open();
    assert.deepEqual(socket.sent, [{ token: "secret" }]);
    socket.receive({ event: "ready" });
    socket.receive({ event: "job", job: { id: "j1", state: "printing" } });
    socket.receive({ event: "something-new" });
    assert.deepEqual(connections, ["ready"]);
    assert.deepEqual(jobs, [{ id: "j1", state: "printing" }]);
    stop();
    assert.ok(socket.closed);
  });

  it("reconnects after a loss, pairs again after a refused token, and stops for good", async () => {
    mock.timers.enable({ apis: ["setTimeout"] });
    let pairings = 0;
    globalThis.fetch = fakeFetch({ "POST /v1/pair": () => reply(200, { token: `t${++pairings}` }) }).fetch;
    const client = await freshClient();
    await client.pair(BASE);
    const connections = [];
    const stop = client.onJob(() => {}, { onConnection: (state) => connections.push(state) });
    await settle();
    FakeSocket.made[0].drop(1006);
    assert.deepEqual(connections, ["lost"]);
    assert.equal(FakeSocket.made.length, 1);
    mock.timers.tick(client.reconnectDelay(0));
    await settle();
    assert.equal(FakeSocket.made.length, 2);

    // 1008: the service refused the token; the next socket brings a new one.
    FakeSocket.made[1].open();
    FakeSocket.made[1].drop(1008);
    mock.timers.tick(client.reconnectDelay(1));
    await settle();
    const third = FakeSocket.made[2];
    third.open();
    assert.deepEqual(third.sent, [{ token: "t2" }]);
    third.receive({ event: "ready" });

    stop();
    third.drop(1006);
    mock.timers.tick(60000);
    await settle();
    assert.equal(FakeSocket.made.length, 3);
    assert.deepEqual(connections, ["lost", "lost", "ready"]);
  });

  it("waits longer after each failure, never more than half a minute", async () => {
    const client = await freshClient();
    const delays = [0, 1, 2, 3, 10, 100].map(client.reconnectDelay);
    assert.deepEqual(delays, [500, 1000, 2000, 4000, 30000, 30000]);
  });
});
