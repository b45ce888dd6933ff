/**
 * A web page's client for zarvo-service, the print service on the same
 * computer: pairing, printers, forms, print jobs and their progress.
 * No dependencies; load it as an ES module.
 *
 *   import { pair, listPrinters, print, onJob } from "./zarvo-client.js";
 *   await pair();
 *   const stop = onJob((job) => console.log(job.id, job.state));
 *   const id = await print({ form: "delivery_note", printer: "Office", records: [{ no: "A1" }] });
 *
 * Errors are {@link ZarvoError}s whose messages are meant for the person
 * using the page (Traditional Chinese).
 *
 * @module zarvo-client
 */

/** The service's address when none is given. */
export const DEFAULT_BASE = "http://127.0.0.1:8631";

/**
 * Every job state the service reports, in words for the person at the page.
 * @type {Readonly<Record<string, string>>}
 */
export const STATE_TEXT = Object.freeze({
  queued: "排隊中",
  waiting: "等待印表機",
  printing: "列印中",
  done: "已送到印表機",
  failed: "列印失敗",
  cancelled: "已取消",
  unknown: "狀態不明 (可能已送出, 請查看印表機)",
});

/** The states after which a job no longer changes. */
export const FINAL_STATES = Object.freeze(["done", "failed", "cancelled", "unknown"]);

const REFUSED_TEXT = "未獲允許使用本機印表機";
const STORAGE_PREFIX = "zarvo-token ";
// The longest wait between two tries to reconnect the event socket.
const MAX_RECONNECT_MS = 30000;

/**
 * An error from the service or from reaching it.
 * `code` is the service's error code (or "refused", "unreachable",
 * "bad_reply"); `status` the HTTP status (0 when there was no answer);
 * `record` (counted from 1) and `field` name the value that was refused.
 */
export class ZarvoError extends Error {
  /**
   * @param {string} message text for the person at the page
   * @param {{code?: string, status?: number, record?: number, field?: string}} [details]
   */
  constructor(message, { code = "error", status = 0, record, field } = {}) {
    super(message);
    this.name = "ZarvoError";
    this.code = code;
    this.status = status;
    if (record !== undefined) this.record = record;
    if (field !== undefined) this.field = field;
  }
}

// What this module talks to: the base URL of the last pairing and a
// pairing under way (one at a time per page).
const state = { base: DEFAULT_BASE, pairing: null };
// Tokens kept when the browser has no usable localStorage.
const memoryTokens = new Map();

function normalizeBase(base) {
  return String(base).replace(/\/+$/, "");
}

function storage() {
  try {
    return globalThis.localStorage ?? null;
  } catch {
    // A sandboxed frame refuses access altogether.
    return null;
  }
}

/**
 * The token kept for base, or null.
 * @param {string} [base]
 * @returns {string|null}
 */
export function storedToken(base = state.base) {
  const key = STORAGE_PREFIX + normalizeBase(base);
  try {
    const kept = storage()?.getItem(key);
    if (kept) return kept;
  } catch {
    // Fall back to the tokens kept in memory.
  }
  return memoryTokens.get(key) ?? null;
}

function keepToken(base, token) {
  const key = STORAGE_PREFIX + normalizeBase(base);
  memoryTokens.set(key, token);
  try {
    storage()?.setItem(key, token);
  } catch {
    // Storage full or refused: the token lives as long as the page.
  }
}

/**
 * Forgets the token kept for base, so that the next call pairs again.
 * @param {string} [base]
 */
export function forgetToken(base = state.base) {
  const key = STORAGE_PREFIX + normalizeBase(base);
  memoryTokens.delete(key);
  try {
    storage()?.removeItem(key);
  } catch {
    // Nothing kept there.
  }
}

function unreachable(base) {
  // A page whose origin is no longer allowed gets no CORS headers either,
  // which looks the same to it.
  return new ZarvoError(`無法連線到本機列印服務 (${base}): 請確認 zarvo-service 已經啟動, 且這個網頁仍被允許使用本機印表機`, {
    code: "unreachable",
  });
}

// The body of a response as JSON, or null when it has none or is not JSON.
async function jsonBody(response) {
  const text = await response.text();
  if (!text) return null;
  try {
    return JSON.parse(text);
  } catch {
    return null;
  }
}

// The error a response that is not 2xx stands for.
function errorFrom(response, body) {
  const error = body?.error;
  if (error && typeof error.message === "string") {
    return new ZarvoError(error.message, {
      code: error.code,
      status: response.status,
      record: error.record,
      field: error.field,
    });
  }
  return new ZarvoError(`本機列印服務回覆錯誤 (HTTP ${response.status})`, {
    code: "bad_reply",
    status: response.status,
  });
}

async function requestPairing(base) {
  let response;
  try {
    // A simple request (no custom header, no JSON content type), so the
    // browser sends no preflight before the person has been asked.
    response = await fetch(base + "/v1/pair", { method: "POST" });
  } catch {
    // Refused pairings come without CORS headers, which the page only
    // sees as a network error, like a service that is not running.
    throw new ZarvoError(`${REFUSED_TEXT} (或本機列印服務沒有啟動)`, { code: "refused" });
  }
  const body = await jsonBody(response);
  if (!response.ok) {
    if (response.status === 403) throw new ZarvoError(REFUSED_TEXT, { code: "refused", status: 403 });
    throw errorFrom(response, body);
  }
  if (typeof body?.token !== "string" || !body.token) {
    throw new ZarvoError("本機列印服務的配對回覆缺少權杖", { code: "bad_reply", status: response.status });
  }
  keepToken(base, body.token);
  return body.token;
}

/**
 * Pairs this page with the service at base and makes base the address of
 * the calls that follow. A token kept from an earlier pairing is used as
 * it is; otherwise the service is asked, which may ask the person at the
 * computer (and wait for the answer up to two minutes).
 * @param {string} [base] the service's address, e.g. "http://127.0.0.1:8631"
 * @returns {Promise<string>} the token
 * @throws {ZarvoError} code "refused" when the service said no
 */
export async function pair(base = DEFAULT_BASE) {
  state.base = normalizeBase(base);
  return tokenFor(state.base);
}

// The kept token for base, or a new pairing's (one at a time).
async function tokenFor(base) {
  const kept = storedToken(base);
  if (kept) return kept;
  if (state.pairing?.base !== base) {
    const pairing = requestPairing(base).finally(() => {
      if (state.pairing === entry) state.pairing = null;
    });
    const entry = { base, pairing };
    state.pairing = entry;
  }
  return state.pairing.pairing;
}

// Sends one request with the token; a token the service no longer knows is
// forgotten and the page paired again, once.
async function call(method, path, body) {
  const base = state.base;
  for (let attempt = 0; ; ++attempt) {
    const token = await tokenFor(base);
    const init = { method, headers: { Authorization: `Bearer ${token}` } };
    if (body !== undefined) {
      init.headers["Content-Type"] = "application/json";
      init.body = JSON.stringify(body);
    }
    let response;
    try {
      response = await fetch(base + path, init);
    } catch {
      throw unreachable(base);
    }
    const reply = await jsonBody(response);
    if (response.status === 401 && attempt === 0) {
      forgetToken(base);
      continue;
    }
    if (!response.ok) throw errorFrom(response, reply);
    if (reply === null) throw new ZarvoError("本機列印服務的回覆無法解讀", { code: "bad_reply", status: response.status });
    return reply;
  }
}

/**
 * The printers of this computer.
 * @returns {Promise<Array<{name: string, default: boolean, media: string[]}>>}
 */
export async function listPrinters() {
  return (await call("GET", "/v1/printers")).printers ?? [];
}

/**
 * The forms the service can print, each with its paper, its block names
 * and the fields of its detail rows.
 * @returns {Promise<Array<{name: string, paper?: object, blocks?: string[], detail?: string[], problem?: string}>>}
 */
export async function listForms() {
  return (await call("GET", "/v1/forms")).forms ?? [];
}

/**
 * Prints a form with data: `records` (one object of block values per form)
 * or `orders` (objects with an `items` array of detail rows each).
 * @param {{form: string, printer?: string, copies?: number, records?: object[], orders?: object[]}} job
 * @returns {Promise<string>} the job's id
 * @throws {ZarvoError} for a refused value, with `record` and `field`
 */
export async function print({ form, printer, copies, records, orders }) {
  if ((records === undefined) === (orders === undefined)) {
    throw new ZarvoError("請給 records 或 orders 兩者之一", { code: "missing_data" });
  }
  const body = { form };
  if (printer) body.printer = printer;
  if (copies !== undefined) body.copies = copies;
  if (records !== undefined) body.records = records;
  else body.orders = orders;
  const reply = await call("POST", "/v1/jobs", body);
  if (typeof reply.id !== "string") throw new ZarvoError("本機列印服務沒有回覆工作編號", { code: "bad_reply" });
  return reply.id;
}

/**
 * A job as the service knows it now.
 * @param {string} id
 * @returns {Promise<{id: string, form: string, printer: string, state: string, sheets: number, cups_jobs: number[], message: string}>}
 */
export async function getJob(id) {
  return call("GET", `/v1/jobs/${encodeURIComponent(id)}`);
}

/**
 * Cancels a job that has not reached the printer yet.
 * @param {string} id
 */
export async function cancelJob(id) {
  return call("DELETE", `/v1/jobs/${encodeURIComponent(id)}`);
}

/**
 * The wait before the next try to reconnect, after failures in a row.
 * @param {number} failures
 * @returns {number} milliseconds
 */
export function reconnectDelay(failures) {
  return Math.min(MAX_RECONNECT_MS, 500 * 2 ** Math.min(failures, 16));
}

/**
 * Follows every job of the service: callback gets each change of each job.
 * The event socket reconnects by itself after it is lost; a token the
 * service refuses is forgotten and the page paired again. Changes made
 * while the socket was down are not replayed: use `onConnection("ready")`
 * to ask for the jobs you wait for with {@link getJob}.
 * @param {(job: object) => void} callback
 * @param {{onConnection?: (state: "ready"|"lost", error?: ZarvoError) => void}} [options]
 * @returns {() => void} stops following
 */
export function onJob(callback, { onConnection } = {}) {
  const base = state.base;
  let socket = null;
  let timer = null;
  let failures = 0;
  let stopped = false;

  const retry = (error) => {
    onConnection?.("lost", error);
    if (stopped) return;
    timer = setTimeout(connect, reconnectDelay(failures++));
  };

  async function connect() {
    timer = null;
    let token;
    try {
      token = await tokenFor(base);
    } catch (error) {
      retry(error);
      return;
    }
    if (stopped) return;
    const ws = new WebSocket(base.replace(/^http/, "ws") + "/v1/events");
    socket = ws;
    // The token goes in the first message, never in the address.
    ws.onopen = () => ws.send(JSON.stringify({ token }));
    ws.onmessage = (message) => {
      let event;
      try {
        event = JSON.parse(message.data);
      } catch {
        return;
      }
      if (event.event === "ready") {
        failures = 0;
        onConnection?.("ready");
      } else if (event.event === "job" && event.job) {
        callback(event.job);
      }
    };
    ws.onclose = (close) => {
      socket = null;
      // 1008: the service refused the token.
      if (close.code === 1008) forgetToken(base);
      if (!stopped) retry(unreachable(base));
    };
  }

  connect();
  return () => {
    stopped = true;
    if (timer !== null) clearTimeout(timer);
    const open = socket;
    socket = null;
    open?.close();
  };
}
